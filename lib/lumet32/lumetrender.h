// The gauge's drawing, free of any widget: everything it needs is in GaugeLook.
#ifndef LUMETRENDER_H
#define LUMETRENDER_H

#include <QColor>
#include <QImage>
#include <QString>

class QFont;
class QPainter;

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
// right and bottom exclusive, in the painter's logical pixels.
void drawBevelRing(QPainter &painter, int style, int l, int t, int r, int b);

// The whole gauge as an off-screen bitmap of the given size in logical pixels,
// holding size × dpr device pixels; the font is resolved at dpiX × dpiY.
QImage renderGauge(const GaugeLook &look, const QSize &size, const QFont &font, int dpiX, int dpiY, qreal dpr);

} // namespace Lumet

#endif // LUMETRENDER_H
