// The gauge's drawing, free of any widget: everything it needs is in GaugeLook.
#ifndef LUMETRENDER_H
#define LUMETRENDER_H

#include <QColor>
#include <QImage>
#include <QString>

class QFont;

namespace Lumet {

struct GaugeLook
{
    int percent = 0;
    int bevelOuter = 0;
    int bevelInner = 0;
    int bevelBar = 0;
    int widthOuter = 0;
    int widthInner = 0;
    int widthBar = 0;
    int borderWidth = 0;
    QColor buttonFace;
    QColor backColor;
    QColor foreColor;
    QColor textBackColor;
    QColor textForeColor;
    QString text;
};

// Draws one bevel ring of the given style on the rectangle (l, t) to (r, b),
// right and bottom exclusive. Pixels outside the image are skipped.
void drawBevelRing(QImage &image, int style, int l, int t, int r, int b);

// The whole gauge as an off-screen bitmap of the given size; the font is
// resolved at dpiX × dpiY.
QImage renderGauge(const GaugeLook &look, const QSize &size, const QFont &font, int dpiX, int dpiY);

} // namespace Lumet

#endif // LUMETRENDER_H
