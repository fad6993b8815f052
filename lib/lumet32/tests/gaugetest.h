// Helpers shared by the gauge tests.
#ifndef GAUGETEST_H
#define GAUGETEST_H

#include "lumetctrl.h"

#include <QFont>
#include <QImage>
#include <QPalette>

namespace gaugetest {

const QRgb White = qRgb(255, 255, 255);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb Black = qRgb(0, 0, 0);
const QRgb LightGrey = qRgb(0xC0, 0xC0, 0xC0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Yellow = qRgb(255, 255, 0);

inline QRgb face(const CLumetCtrl &c)
{
    return c.palette().color(QPalette::Active, QPalette::Button).rgb();
}

inline QRgb px(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

// A large bold font, so that glyphs have pixels of the exact text colour.
inline QFont bigFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(22);
    f.setBold(true);
    return f;
}

// Number of pixels of a colour in a rectangle.
inline int count(const QImage &image, const QRect &r, QRgb colour)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += px(image, x, y) == (colour | 0xFF000000u);
    return n;
}

} // namespace gaugetest

#endif
