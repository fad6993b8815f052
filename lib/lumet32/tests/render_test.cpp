// Pixel tests of the gauge's drawing: frame rings, bar width, the text's colour split.
#include "gaugetest.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>

using namespace gaugetest;

namespace {

// A gauge with only the outer bevel, so its ring sits alone on the edge.
QImage ringOnly(int style, int width, int w = 40, int h = 12)
{
    CLumetCtrl c;
    c.resize(w, h);
    c.setBorderWidth(0);
    c.setBevelInner(0);
    c.setBevelOuter(style);
    c.setBevelWidthOuter(width);
    return c.renderImage();
}

// The inner area of a gauge with inset o.
QRect interior(const QImage &image, int o)
{
    return QRect(o, o, image.width() - 2 * o, image.height() - 2 * o);
}

} // namespace

TEST(GaugeRender, defaultGaugeHasRaisedOuterFaceBandAndLoweredInnerRing)
{
    CLumetCtrl c;
    c.resize(100, 20);
    const QImage img = c.renderImage();
    ASSERT_EQ(img.size(), QSize(100, 20));
    // Outer raised ring: white left and top, grey bottom and right.
    EXPECT_EQ(px(img, 0, 0), White);
    EXPECT_EQ(px(img, 99, 0), White);
    EXPECT_EQ(px(img, 0, 18), White);
    EXPECT_EQ(px(img, 0, 19), Grey);
    EXPECT_EQ(px(img, 99, 19), Grey);
    EXPECT_EQ(px(img, 99, 1), Grey);
    // The border band keeps the button face.
    EXPECT_EQ(px(img, 1, 1), face(c));
    EXPECT_EQ(px(img, 98, 18), face(c));
    EXPECT_EQ(px(img, 50, 1), face(c));
    // Inner lowered ring on (2, 2)-(98, 18): grey left and top, white bottom and right.
    EXPECT_EQ(px(img, 2, 2), Grey);
    EXPECT_EQ(px(img, 97, 2), Grey);
    EXPECT_EQ(px(img, 2, 16), Grey);
    EXPECT_EQ(px(img, 2, 17), White);
    EXPECT_EQ(px(img, 97, 17), White);
    EXPECT_EQ(px(img, 97, 3), White);
    // The inner area starts at o = 3 with the back colour.
    EXPECT_EQ(px(img, 3, 3), LightGrey);
    EXPECT_EQ(px(img, 96, 16), LightGrey);
}

TEST(GaugeRender, eachBevelStyleDrawsItsRingLines)
{
    const int w = 40, h = 12;
    CLumetCtrl probe;
    const QRgb f = face(probe);

    const QImage raised = ringOnly(CLumetCtrl::kvBevelRaised, 1);
    EXPECT_EQ(px(raised, 0, 0), White);
    EXPECT_EQ(px(raised, w - 2, 0), White);
    EXPECT_EQ(px(raised, w - 1, 0), White); // the top line runs to the right edge
    EXPECT_EQ(px(raised, 0, h - 2), White);
    EXPECT_EQ(px(raised, 0, h - 1), Grey);
    EXPECT_EQ(px(raised, w - 1, h - 1), Grey);
    EXPECT_EQ(px(raised, w - 1, 1), Grey);

    const QImage inset = ringOnly(CLumetCtrl::kvBevelInset, 1);
    EXPECT_EQ(px(inset, 0, 0), Grey);
    EXPECT_EQ(px(inset, w - 3, 0), Grey);
    EXPECT_EQ(px(inset, w - 2, 0), f); // last point excluded
    EXPECT_EQ(px(inset, w - 1, 0), f);
    EXPECT_EQ(px(inset, 0, h - 2), Grey);
    EXPECT_EQ(px(inset, 0, h - 1), f);
    EXPECT_EQ(px(inset, 1, 1), White);
    EXPECT_EQ(px(inset, w - 2, 1), White); // white outline drawn over the grey line's end
    EXPECT_EQ(px(inset, w - 1, 1), White);
    EXPECT_EQ(px(inset, w - 1, h - 1), White);
    EXPECT_EQ(px(inset, 1, h - 1), White);
    EXPECT_EQ(px(inset, 1, h - 2), White);
    EXPECT_EQ(px(inset, 2, h - 2), Grey);
    EXPECT_EQ(px(inset, w - 2, h - 2), Grey);
    EXPECT_EQ(px(inset, w - 2, 2), Grey);

    const QImage lowered = ringOnly(CLumetCtrl::kvBevelLowered, 1);
    EXPECT_EQ(px(lowered, 0, 0), Grey);
    EXPECT_EQ(px(lowered, w - 1, 0), Grey);
    EXPECT_EQ(px(lowered, 0, h - 2), Grey);
    EXPECT_EQ(px(lowered, 0, h - 1), White);
    EXPECT_EQ(px(lowered, w - 1, h - 1), White);
    EXPECT_EQ(px(lowered, w - 1, 1), White);

    const QImage solid = ringOnly(CLumetCtrl::kvBevelSolid, 1);
    for (const QPoint &p : { QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(17, 0),
             QPoint(0, 5), QPoint(w - 1, 6), QPoint(20, h - 1) })
        EXPECT_EQ(px(solid, p.x(), p.y()), Black) << p.x() << "," << p.y();
    EXPECT_NE(px(solid, 1, 1), Black);

    // With no bevel (and no border) the inner area reaches the edge.
    const QImage none = ringOnly(CLumetCtrl::kvBevelNone, 3);
    EXPECT_EQ(px(none, 0, 0), LightGrey);
    EXPECT_EQ(px(none, w - 1, h - 1), LightGrey);
}

TEST(GaugeRender, widerBevelDrawsNestedRingsOnePixelApart)
{
    const QImage img = ringOnly(CLumetCtrl::kvBevelRaised, 3, 40, 16);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(px(img, i, i), White) << i;
        EXPECT_EQ(px(img, 39 - i, 15 - i), Grey) << i;
    }
    // The inner area begins right after the third ring.
    EXPECT_EQ(px(img, 3, 3), LightGrey);
}

TEST(GaugeRender, barWidthIsTruncatedShareOfInnerWidth)
{
    CLumetCtrl c;
    c.resize(100, 40); // o = 3, inner width 94
    for (const auto &[percent, t] : { std::pair { 50, 47 }, { 37, 34 }, { 1, 0 }, { 2, 1 }, { 99, 93 }, { 100, 94 } }) {
        c.setPercent(percent);
        const QImage img = c.renderImage();
        // Row 3 is the inner area's top row, above any glyph.
        int blue = 0;
        for (int x = 0; x < 100; ++x)
            blue += px(img, x, 3) == Blue;
        EXPECT_EQ(blue, t) << percent;
        if (t > 0) {
            EXPECT_EQ(px(img, 3, 3), Blue) << percent;
            EXPECT_EQ(px(img, 3 + t - 1, 3), Blue) << percent;
        }
        if (t < 94) {
            EXPECT_EQ(px(img, 3 + t, 3), LightGrey) << percent;
        }
    }
}

TEST(GaugeRender, textColoursSplitAtTheBarEdge)
{
    CLumetCtrl c;
    c.resize(120, 40);
    c.setFont(bigFont());
    c.setTextBackColor(0x0000FFFF); // yellow over the bar
    c.setTextForeColor(0x000000FF); // red over the rest
    const int o = 3;

    c.setPercent(0);
    QImage img = c.renderImage();
    EXPECT_GT(count(img, interior(img, o), Red), 10);
    EXPECT_EQ(count(img, interior(img, o), Yellow), 0);
    EXPECT_EQ(count(img, interior(img, o), Blue), 0); // no bar

    c.setPercent(100);
    img = c.renderImage();
    EXPECT_GT(count(img, interior(img, o), Yellow), 10);
    EXPECT_EQ(count(img, interior(img, o), Red), 0);
    EXPECT_EQ(count(img, interior(img, o), LightGrey), 0); // the bar fills the inner width
    EXPECT_EQ(px(img, 116, 20), Blue);

    c.setPercent(50);
    img = c.renderImage();
    const int edge = o + (120 - 2 * o) * 50 / 100; // first column of the rest
    const QRect bar(o, o, edge - o, 40 - 2 * o);
    const QRect rest(edge, o, 120 - o - edge, 40 - 2 * o);
    // "50%" is centred, so it straddles the edge: its left part is yellow on blue,
    // its right part red on grey, and neither colour crosses over.
    EXPECT_GT(count(img, bar, Yellow), 5);
    EXPECT_EQ(count(img, bar, Red), 0);
    EXPECT_GT(count(img, rest, Red), 5);
    EXPECT_EQ(count(img, rest, Yellow), 0);
}

TEST(GaugeRender, captionReplacesThePercentage)
{
    CLumetCtrl c;
    c.resize(300, 30);
    c.setPercent(40);
    c.setFont(bigFont());
    c.setTextBackColor(0x0000FFFF);
    c.setCaption(QStringLiteral("Please wait while loading"));
    EXPECT_EQ(c.displayText(), QStringLiteral("Please wait while loading"));
    const QImage img = c.renderImage();
    // "40%" would cover a few dozen pixels round the centre; the caption reaches far left.
    EXPECT_GT(count(img, QRect(3, 3, 80, 24), Yellow), 5);
    c.setCaption(QString());
    EXPECT_EQ(c.displayText(), QStringLiteral("40%"));
    EXPECT_EQ(count(c.renderImage(), QRect(3, 3, 80, 24), Yellow), 0);
}

TEST(GaugeRender, outerBevelNoneRemovesRingsAndTheirWidth)
{
    CLumetCtrl c;
    c.resize(60, 20);
    c.setPercent(100);
    c.setBevelWidthOuter(2);
    QImage img = c.renderImage(); // o = 1 + 2 + 1
    EXPECT_EQ(px(img, 0, 0), White);
    EXPECT_EQ(px(img, 3, 10), Grey); // inner ring's left line
    EXPECT_EQ(px(img, 4, 4), Blue);

    c.setBevelOuter(CLumetCtrl::kvBevelNone);
    img = c.renderImage(); // o = 1 + 1
    EXPECT_EQ(px(img, 0, 0), face(c));
    EXPECT_EQ(px(img, 0, 19), face(c));
    EXPECT_EQ(px(img, 1, 10), Grey); // the inner ring moves out to the border band's edge
    EXPECT_EQ(px(img, 2, 2), Blue);
    EXPECT_EQ(px(img, 57, 17), Blue);
    EXPECT_EQ(px(img, 58, 10), White);
}

TEST(GaugeRender, barBevelIsDrawnOnTheBarOnly)
{
    CLumetCtrl c;
    c.resize(100, 20);
    c.setBevelBar(CLumetCtrl::kvBevelSolid);
    c.setPercent(50); // bar (3, 3)-(50, 17)
    QImage img = c.renderImage();
    EXPECT_EQ(px(img, 3, 3), Black);
    EXPECT_EQ(px(img, 49, 3), Black);
    EXPECT_EQ(px(img, 3, 16), Black);
    EXPECT_EQ(px(img, 49, 16), Black);
    EXPECT_EQ(px(img, 50, 3), LightGrey);
    c.setPercent(0);
    img = c.renderImage();
    EXPECT_EQ(count(img, QRect(3, 3, 94, 14), Black), 0);
}

TEST(GaugeRender, barRingsNeverSpillIntoTheEmptyPart)
{
    // A bar of one pixel at (3, 3)-(4, 21): its rings are wider than the bar,
    // and the empty part, drawn after them, keeps its own colour from x = 4 on.
    for (int style = CLumetCtrl::kvBevelRaised; style <= CLumetCtrl::kvBevelSolid; ++style) {
        for (int width : { 1, 2, 4 }) {
            SCOPED_TRACE("style " + std::to_string(style) + ", width " + std::to_string(width));
            CLumetCtrl c;
            c.resize(200, 24);
            c.setCaption(QStringLiteral(" ")); // no glyphs in the way
            c.setPercent(1);
            c.setBevelBar(style);
            c.setBevelWidthBar(width);
            EXPECT_EQ(count(c.renderImage(), QRect(4, 3, 193, 18), LightGrey), 193 * 18);
        }
    }
}

TEST(GaugeRender, oleSystemColoursFollowThePalette)
{
    CLumetCtrl c;
    c.resize(50, 20);
    c.setBackColor(0x8000000F); // button face
    EXPECT_EQ(px(c.renderImage(), 4, 4), face(c));
    c.setBackColor(0x80000005); // window background
    EXPECT_EQ(px(c.renderImage(), 4, 4), c.palette().color(QPalette::Active, QPalette::Base).rgb());
    c.setBackColor(0x00336699);
    EXPECT_EQ(px(c.renderImage(), 4, 4), qRgb(0x99, 0x66, 0x33));
}

TEST(GaugeRender, screenPaintingIsTheOffscreenBitmap)
{
    CLumetCtrl c;
    c.resize(90, 24);
    c.setPercent(63);
    c.setBevelBar(CLumetCtrl::kvBevelRaised);
    const QImage painted = c.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(painted, c.renderImage());
}

TEST(GaugeRender, otherDeviceScalesTheFontNotTheFrame)
{
    CLumetCtrl c;
    c.resize(100, 20);
    c.setFont(bigFont());
    c.setPercent(100);
    const auto inkHeight = [](const QImage &img) {
        int top = img.height(), bottom = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 8; x < img.width() - 8; ++x)
                if (px(img, x, y) == White && y > 4 && y < img.height() - 5) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom - top + 1;
    };
    const QImage screen = c.renderForDevice(QSize(300, 80), c.logicalDpiX(), c.logicalDpiY());
    const QImage print = c.renderForDevice(QSize(300, 80), 2 * c.logicalDpiX(), 2 * c.logicalDpiY());
    const int h1 = inkHeight(screen), h2 = inkHeight(print);
    EXPECT_GT(h2, h1 * 17 / 10) << h1 << " " << h2;
    // The frame stays one pixel per ring at any resolution.
    EXPECT_EQ(px(print, 0, 0), White);
    EXPECT_EQ(px(print, 1, 1), face(c));

    // Painting onto a device draws the bitmap at the bounds.
    QImage page(400, 200, QImage::Format_RGB32);
    page.fill(Qt::green);
    QPainter painter(&page);
    c.drawForDevice(&painter, QRect(50, 40, 300, 80));
    painter.end();
    EXPECT_EQ(px(page, 49, 40), qRgb(0, 255, 0));
    EXPECT_EQ(px(page, 50, 40), White);
    EXPECT_EQ(px(page, 349, 119), Grey);
}

TEST(GaugeRender, degenerateSizesAndHugeWidthsDrawWithoutFault)
{
    CLumetCtrl c;
    c.setPercent(70);
    c.setBevelBar(CLumetCtrl::kvBevelInset);
    for (const QSize &s : { QSize(0, 0), QSize(1, 1), QSize(2, 30), QSize(5, 5), QSize(300, 3) }) {
        c.resize(s);
        EXPECT_EQ(c.renderImage().size(), s);
    }
    c.resize(200, 40);
    c.setBorderWidth(32767);
    c.setBevelWidthOuter(32767);
    c.setBevelWidthInner(32767);
    c.setBevelWidthBar(32767);
    EXPECT_EQ(c.renderImage().size(), QSize(200, 40));
}
