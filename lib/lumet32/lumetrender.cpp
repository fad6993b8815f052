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

// A one-pixel line from a towards b, b itself not drawn, like a pen's LineTo.
// Every line of a ring is horizontal or vertical. Drawn as a filled rectangle
// of whole logical pixels, so it stays crisp at any device pixel ratio; the
// painter clips what lies outside the image.
void line(QPainter &painter, QRgb colour, QPoint a, QPoint b)
{
    if (a == b)
        return;
    // The end point is excluded: step it back by one towards a.
    const QPoint last(b.x() - (b.x() > a.x()) + (b.x() < a.x()), b.y() - (b.y() > a.y()) + (b.y() < a.y()));
    painter.fillRect(QRect(QPoint(std::min(a.x(), last.x()), std::min(a.y(), last.y())),
                         QPoint(std::max(a.x(), last.x()), std::max(a.y(), last.y()))),
        QColor(colour));
}

void polyline(QPainter &painter, QRgb colour, std::initializer_list<QPoint> points)
{
    const QPoint *prev = nullptr;
    for (const QPoint &p : points) {
        if (prev)
            line(painter, colour, *prev, p);
        prev = &p;
    }
}

void drawRings(QPainter &painter, const QSize &size, int style, int count, int l, int t, int r, int b)
{
    if (style == 0 || count <= 0)
        return;
    // Beyond this many rings every further ring lies wholly outside the image.
    count = std::min(count, std::max(size.width(), size.height()) + 2);
    for (int i = 0; i < count; ++i)
        drawBevelRing(painter, style, l + i, t + i, r - i, b - i);
}

void drawTextPart(QPainter &painter, const QRect &rect, const QColor &back, const QColor &fore, const QPoint &origin,
    const QString &text)
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

void drawBevelRing(QPainter &painter, int style, int l, int t, int r, int b)
{
    switch (style) {
    case 1: // raised
        polyline(painter, White, { { l, b - 2 }, { l, t }, { r, t } });
        polyline(painter, Grey, { { l, b - 1 }, { r - 1, b - 1 }, { r - 1, t } });
        break;
    case 2: // inset
        polyline(painter, Grey, { { l, b - 2 }, { l, t }, { r - 2, t } });
        polyline(painter, Grey, { { l + 2, b - 2 }, { r - 2, b - 2 }, { r - 2, t + 1 } });
        polyline(painter, White,
            { { l + 1, t + 1 }, { r - 1, t + 1 }, { r - 1, b - 1 }, { l + 1, b - 1 }, { l + 1, t + 1 } });
        break;
    case 3: // lowered
        polyline(painter, Grey, { { l, b - 2 }, { l, t }, { r, t } });
        polyline(painter, White, { { l, b - 1 }, { r - 1, b - 1 }, { r - 1, t } });
        break;
    case 4: // solid
        polyline(painter, Black, { { l, t }, { r - 1, t }, { r - 1, b - 1 }, { l, b - 1 }, { l, t } });
        break;
    default:
        break;
    }
}

QImage renderGauge(const GaugeLook &look, const QSize &size, const QFont &font, int dpiX, int dpiY, qreal dpr)
{
    if (!(dpr > 0))
        dpr = 1;
    const QSize logical = size.expandedTo(QSize(0, 0));
    QImage image((QSizeF(logical) * dpr).toSize(), QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(dpr);
    image.setDotsPerMeterX(qRound(dpiX / 0.0254));
    image.setDotsPerMeterY(qRound(dpiY / 0.0254));
    image.fill(look.buttonFace);

    const int w = logical.width();
    const int h = logical.height();
    const int o = look.borderWidth + (look.bevelOuter ? look.widthOuter : 0) + (look.bevelInner ? look.widthInner : 0);

    QPainter painter(&image);
    painter.setFont(font);
    const QFontMetrics fm = painter.fontMetrics();
    const int textWidth = fm.horizontalAdvance(look.text);
    const int textHeight = fm.height();
    // Text cell's top-left corner, in whole pixels; the baseline lies ascent below.
    const QPoint origin((w - textWidth) / 2, (h - textHeight) / 2 + fm.ascent());

    // A control narrower than its frames has no inner area and so no bar.
    const int t = std::max(0, w - 2 * o) * look.percent / 100;
    // The bar and its rings first, then the empty part: a bar too narrow for
    // its rings has them covered by the empty part, never the other way round.
    if (t != 0) {
        drawTextPart(painter, QRect(QPoint(o, o), QPoint(t + o - 1, h - o - 1)), look.foreColor, look.textBackColor,
            origin, look.text);
        drawRings(painter, logical, look.bevelBar, look.widthBar, o, o, t + o, h - o);
    }
    if (t < w - o)
        drawTextPart(painter, QRect(QPoint(t + o, o), QPoint(w - o - 1, h - o - 1)), look.backColor, look.textForeColor,
            origin, look.text);

    drawRings(painter, logical, look.bevelOuter, look.widthOuter, 0, 0, w, h);
    const int k = look.borderWidth + (look.bevelOuter ? look.widthOuter : 0);
    drawRings(painter, logical, look.bevelInner, look.widthInner, k, k, w - k, h - k);
    return image;
}

} // namespace Lumet
