#include "lumetrender.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <initializer_list>

namespace Lumet {
namespace {

const QRgb White = qRgb(0xFF, 0xFF, 0xFF);
const QRgb Grey = qRgb(0x80, 0x80, 0x80);
const QRgb Black = qRgb(0, 0, 0);

int sign(int v) { return (v > 0) - (v < 0); }

// A one-pixel line from a towards b, b itself not drawn, like a pen's LineTo.
// Every line of a ring is horizontal or vertical.
void line(QImage &image, QRgb colour, QPoint a, QPoint b)
{
    if (a == b)
        return;
    const int dx = sign(b.x() - a.x());
    const int dy = sign(b.y() - a.y());
    const int steps = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
    const QRect bounds = image.rect();
    // Walk only the part of the line inside the image: rings of a thick bevel
    // on a small control run far outside it.
    if (dy == 0 && (a.y() < 0 || a.y() >= image.height()))
        return;
    if (dx == 0 && (a.x() < 0 || a.x() >= image.width()))
        return;
    int first = 0;
    int last = steps; // exclusive
    if (dx != 0) {
        const int lo = dx > 0 ? -a.x() : a.x() - (image.width() - 1);
        const int hi = dx > 0 ? image.width() - a.x() : a.x() + 1;
        first = std::max(first, lo);
        last = std::min(last, hi);
    } else {
        const int lo = dy > 0 ? -a.y() : a.y() - (image.height() - 1);
        const int hi = dy > 0 ? image.height() - a.y() : a.y() + 1;
        first = std::max(first, lo);
        last = std::min(last, hi);
    }
    for (int i = first; i < last; ++i) {
        const QPoint p(a.x() + i * dx, a.y() + i * dy);
        if (bounds.contains(p))
            image.setPixel(p, colour);
    }
}

void polyline(QImage &image, QRgb colour, std::initializer_list<QPoint> points)
{
    const QPoint *prev = nullptr;
    for (const QPoint &p : points) {
        if (prev)
            line(image, colour, *prev, p);
        prev = &p;
    }
}

void drawRings(QImage &image, int style, int count, int l, int t, int r, int b)
{
    if (style == 0 || count <= 0)
        return;
    // Beyond this many rings every further ring lies wholly outside the image.
    count = std::min(count, std::max(image.width(), image.height()) + 2);
    for (int i = 0; i < count; ++i)
        drawBevelRing(image, style, l + i, t + i, r - i, b - i);
}

void drawTextPart(QPainter &painter, const QRect &rect, const QColor &back, const QColor &fore,
                  const QPoint &origin, const QString &text)
{
    if (rect.isEmpty())
        return;
    painter.setClipRect(rect);
    painter.fillRect(rect, back);
    painter.setPen(fore);
    painter.drawText(origin, text);
    painter.setClipping(false);
}

} // namespace

void drawBevelRing(QImage &image, int style, int l, int t, int r, int b)
{
    switch (style) {
    case 1: // raised
        polyline(image, White, {{l, b - 2}, {l, t}, {r, t}});
        polyline(image, Grey, {{l, b - 1}, {r - 1, b - 1}, {r - 1, t}});
        break;
    case 2: // inset
        polyline(image, Grey, {{l, b - 2}, {l, t}, {r - 2, t}});
        polyline(image, Grey, {{l + 2, b - 2}, {r - 2, b - 2}, {r - 2, t + 1}});
        polyline(image, White, {{l + 1, t + 1}, {r - 1, t + 1}, {r - 1, b - 1}, {l + 1, b - 1}, {l + 1, t + 1}});
        break;
    case 3: // lowered
        polyline(image, Grey, {{l, b - 2}, {l, t}, {r, t}});
        polyline(image, White, {{l, b - 1}, {r - 1, b - 1}, {r - 1, t}});
        break;
    case 4: // solid
        polyline(image, Black, {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}});
        break;
    default:
        break;
    }
}

QImage renderGauge(const GaugeLook &look, const QSize &size, const QFont &font, int dpiX, int dpiY)
{
    QImage image(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDotsPerMeterX(qRound(dpiX / 0.0254));
    image.setDotsPerMeterY(qRound(dpiY / 0.0254));
    image.fill(look.buttonFace);

    const int w = image.width();
    const int h = image.height();
    const int o = look.borderWidth + (look.bevelOuter ? look.widthOuter : 0) + (look.bevelInner ? look.widthInner : 0);

    {
        QPainter painter(&image);
        painter.setFont(font);
        const QFontMetrics fm = painter.fontMetrics();
        const int textWidth = fm.horizontalAdvance(look.text);
        const int textHeight = fm.height();
        // Text cell's top-left corner, in whole pixels; the baseline lies ascent below.
        const QPoint origin((w - textWidth) / 2, (h - textHeight) / 2 + fm.ascent());

        // A control narrower than its frames has no inner area and so no bar.
        const int t = std::max(0, w - 2 * o) * look.percent / 100;
        if (t != 0)
            drawTextPart(painter, QRect(QPoint(o, o), QPoint(t + o - 1, h - o - 1)), look.foreColor,
                         look.textBackColor, origin, look.text);
        if (t < w - o)
            drawTextPart(painter, QRect(QPoint(t + o, o), QPoint(w - o - 1, h - o - 1)), look.backColor,
                         look.textForeColor, origin, look.text);
        painter.end();

        // The bar's rings lie inside the bar, apart from the rest's text, so
        // drawing them after it gives the same pixels.
        if (t != 0)
            drawRings(image, look.bevelBar, look.widthBar, o, o, t + o, h - o);
    }

    drawRings(image, look.bevelOuter, look.widthOuter, 0, 0, w, h);
    const int k = look.borderWidth + (look.bevelOuter ? look.widthOuter : 0);
    drawRings(image, look.bevelInner, look.widthInner, k, k, w - k, h - k);
    return image;
}

} // namespace Lumet
