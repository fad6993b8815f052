// Properties, the dispatch interface and the events of the gauge.
#include "gaugetest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTimer>

using namespace gaugetest;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

TEST(GaugeProperties, defaultsAreTheDocumentedOnes)
{
    CLumetCtrl c;
    const std::pair<int, QVariant> expected[] = {
        { CLumetCtrl::DispPercent, 0 },
        { CLumetCtrl::DispBevelOuter, 1 },
        { CLumetCtrl::DispBevelBar, 0 },
        { CLumetCtrl::DispBevelWidthBar, 1 },
        { CLumetCtrl::DispTextBackColor, 0xFFFFFFu },
        { CLumetCtrl::DispTextForeColor, 0xFF0000u },
        { CLumetCtrl::DispBorderWidth, 1 },
        { CLumetCtrl::DispBevelInner, 3 },
        { CLumetCtrl::DispCaption, QString() },
        { CLumetCtrl::DispBevelWidthOuter, 1 },
        { CLumetCtrl::DispBevelWidthInner, 1 },
        { CLumetCtrl::DispVersion, QStringLiteral("3.00.001") },
        { CLumetCtrl::DispBackColor, 0xC0C0C0u },
        { CLumetCtrl::DispForeColor, 0xFF0000u },
        { CLumetCtrl::DispEnabled, true },
    };
    for (const auto &[id, value] : expected) {
        LumetResult status = -1;
        const QVariant got = c.GetProperty(id, &status);
        EXPECT_EQ(status, LUMET_S_OK) << id;
        EXPECT_EQ(got.toString(), value.toString()) << CLumetCtrl::NameOfDispId(id).toStdString();
    }
    EXPECT_EQ(c.GetProperty(CLumetCtrl::DispFontName).toString(), c.font().family());
}

TEST(GaugeProperties, percentIsClampedAndIdZeroIsPercent)
{
    CLumetCtrl c;
    EXPECT_EQ(c.SetProperty(3, 150), LUMET_S_OK);
    EXPECT_EQ(c.GetProperty(3).toInt(), 100);
    EXPECT_EQ(c.SetProperty(3, -5), LUMET_S_OK);
    EXPECT_EQ(c.GetProperty(0).toInt(), 0);
    EXPECT_EQ(c.SetProperty(0, 42), LUMET_S_OK);
    EXPECT_EQ(c.GetProperty(3).toInt(), 42);
    EXPECT_TRUE(c.setProperty("Percent", 250));
    EXPECT_EQ(c.percent(), 100);
    // Values beyond a 16-bit integer overflow instead of wrapping.
    EXPECT_EQ(c.SetProperty(3, 40000), LUMET_DISP_E_OVERFLOW);
    EXPECT_EQ(c.percent(), 100);
}

TEST(GaugeProperties, bevelStylesOutsideTheEnumerationAreRefused)
{
    CLumetCtrl c;
    for (int id : { CLumetCtrl::DispBevelOuter, CLumetCtrl::DispBevelBar, CLumetCtrl::DispBevelInner }) {
        ASSERT_EQ(c.SetProperty(id, 2), LUMET_S_OK);
        EXPECT_EQ(c.SetProperty(id, 5), LUMET_CTL_E_INVALIDPROPERTYVALUE);
        EXPECT_EQ(c.SetProperty(id, -1), LUMET_CTL_E_INVALIDPROPERTYVALUE);
        EXPECT_EQ(c.GetProperty(id).toInt(), 2);
        EXPECT_EQ(c.SetProperty(id, 4), LUMET_S_OK);
        EXPECT_EQ(c.GetProperty(id).toInt(), 4);
    }
    c.setBevelOuter(9); // the typed setter refuses alike
    EXPECT_EQ(c.bevelOuter(), 4);
    EXPECT_EQ(Lumet::errorMessage(LUMET_CTL_E_INVALIDPROPERTYVALUE), QStringLiteral("Invalid property value"));
}

TEST(GaugeProperties, negativeWidthsBecomeZero)
{
    CLumetCtrl c;
    for (int id : { CLumetCtrl::DispBevelWidthOuter, CLumetCtrl::DispBevelWidthInner, CLumetCtrl::DispBevelWidthBar,
             CLumetCtrl::DispBorderWidth }) {
        EXPECT_EQ(c.SetProperty(id, 7), LUMET_S_OK);
        EXPECT_EQ(c.GetProperty(id).toInt(), 7);
        EXPECT_EQ(c.SetProperty(id, -3), LUMET_S_OK);
        EXPECT_EQ(c.GetProperty(id).toInt(), 0);
    }
}

TEST(GaugeProperties, dispatchReportsClassicErrors)
{
    CLumetCtrl c;
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispVersion, QStringLiteral("4.0")), LUMET_CTL_E_SETNOTSUPPORTED);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispHWnd, 5), LUMET_CTL_E_SETNOTSUPPORTED);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispPercent, QStringLiteral("many")), LUMET_DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispPercent, QVariant()), LUMET_DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c.SetProperty(99, 1), LUMET_DISP_E_MEMBERNOTFOUND);
    LumetResult status = 0;
    EXPECT_FALSE(c.GetProperty(99, &status).isValid());
    EXPECT_EQ(status, LUMET_DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(c.Invoke(3), LUMET_DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispFontSize, 0), LUMET_CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispFontName, QString()), LUMET_CTL_E_INVALIDPROPERTYVALUE);
}

TEST(GaugeProperties, valuesConvertAsAutomationDoes)
{
    CLumetCtrl c;
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispPercent, QStringLiteral(" 35 ")), LUMET_S_OK);
    EXPECT_EQ(c.percent(), 35);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispPercent, 12.5), LUMET_S_OK); // half to even
    EXPECT_EQ(c.percent(), 12);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispBackColor, QStringLiteral("0x0000FF")), LUMET_S_OK);
    EXPECT_EQ(c.backColor(), 0xFFu);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispForeColor, -2147483633), LUMET_S_OK); // signed system colour 15
    EXPECT_EQ(c.foreColor(), 0x8000000Fu);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispTextForeColor, 4294967296.0), LUMET_DISP_E_OVERFLOW);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispCaption, 7), LUMET_S_OK);
    EXPECT_EQ(c.caption(), QStringLiteral("7"));
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispEnabled, QStringLiteral("False")), LUMET_S_OK);
    EXPECT_FALSE(c.isEnabled());
}

TEST(GaugeProperties, fontPropertiesChangeTheStockFont)
{
    CLumetCtrl c;
    EXPECT_EQ(c.SetProperty(13, true), LUMET_S_OK);
    EXPECT_EQ(c.SetProperty(14, true), LUMET_S_OK);
    EXPECT_EQ(c.SetProperty(15, true), LUMET_S_OK);
    EXPECT_EQ(c.SetProperty(16, true), LUMET_S_OK);
    EXPECT_EQ(c.SetProperty(17, QStringLiteral("DejaVu Serif")), LUMET_S_OK);
    EXPECT_EQ(c.SetProperty(18, 14.5), LUMET_S_OK);
    const QFont f = c.font();
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.strikeOut());
    EXPECT_TRUE(f.underline());
    EXPECT_EQ(f.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 14.5);
    EXPECT_FLOAT_EQ(c.GetProperty(18).toFloat(), 14.5f);
    EXPECT_EQ(c.GetProperty(CLumetCtrl::DispFont).value<QFont>(), f);
    EXPECT_EQ(c.SetProperty(13, false), LUMET_S_OK);
    EXPECT_FALSE(c.GetProperty(13).toBool());
}

TEST(GaugeProperties, changesRepaintAndUnchangedValuesDoNot)
{
    CLumetCtrl c;
    c.resize(120, 24);
    c.show();
    PaintCounter counter;
    c.installEventFilter(&counter);
    QApplication::processEvents();
    const auto paintsAfter = [&](auto change) {
        counter.paints = 0;
        change();
        QApplication::processEvents();
        return counter.paints;
    };
    EXPECT_GT(paintsAfter([&] { c.SetProperty(3, 30); }), 0);
    EXPECT_EQ(paintsAfter([&] { c.SetProperty(3, 30); }), 0);
    EXPECT_GT(paintsAfter([&] { c.SetProperty(CLumetCtrl::DispBevelInner, 2); }), 0);
    EXPECT_GT(paintsAfter([&] { c.SetProperty(CLumetCtrl::DispTextForeColor, 0x00FF00); }), 0);
    EXPECT_GT(paintsAfter([&] { c.SetProperty(CLumetCtrl::DispCaption, QStringLiteral("x")); }), 0);
    EXPECT_GT(paintsAfter([&] { c.SetProperty(CLumetCtrl::DispFontBold, true); }), 0);
    EXPECT_EQ(paintsAfter([&] { c.SetProperty(CLumetCtrl::DispBevelInner, 8); }), 0);
}

TEST(GaugeProperties, versionIsBuiltFromThreeNumbers)
{
    EXPECT_EQ(CLumetCtrl::version(), QStringLiteral("3.00.001"));
    CLumetCtrl c;
    EXPECT_EQ(c.property("Version").toString(), QStringLiteral("3.00.001"));
}

TEST(GaugeEvents, mouseEventsCarryButtonShiftAndPosition)
{
    CLumetCtrl c;
    c.resize(100, 20);
    QSignalSpy down(&c, &CLumetCtrl::MouseDown), up(&c, &CLumetCtrl::MouseUp), move(&c, &CLumetCtrl::MouseMove),
        click(&c, &CLumetCtrl::Click), dbl(&c, &CLumetCtrl::DblClick);
    const auto send
        = [&](QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, Qt::KeyboardModifiers m, QPoint p) {
              QMouseEvent e(type, p, c.mapToGlobal(p), b, held, m);
              QApplication::sendEvent(&c, &e);
          };
    send(
        QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, { 10, 5 });
    send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, Qt::AltModifier, { 12, 6 });
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0], (QVariantList { short(2), short(3), 10, 5 }));
    ASSERT_EQ(up.size(), 1);
    EXPECT_EQ(up[0], (QVariantList { short(2), short(4), 12, 6 }));
    EXPECT_EQ(click.size(), 1);

    send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::MiddleButton, Qt::NoModifier, { 30, 7 });
    ASSERT_EQ(move.size(), 1);
    EXPECT_EQ(move[0], (QVariantList { short(5), short(0), 30, 7 }));

    // A release outside the control is no click.
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, { 10, 5 });
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, { 150, 5 });
    EXPECT_EQ(click.size(), 1);
    EXPECT_EQ(down.size(), 2);
    EXPECT_EQ(down[1][0].toInt(), 1);

    // Double-click: the second press fires DblClick, its release no Click.
    click.clear();
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, { 10, 5 });
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, { 10, 5 });
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, { 10, 5 });
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, { 10, 5 });
    EXPECT_EQ(click.size(), 1);
    EXPECT_EQ(dbl.size(), 1);
    EXPECT_EQ(down.size(), 4);
    EXPECT_EQ(up.size(), 4);
}

TEST(GaugeMethods, aboutBoxShowsNameAndVersion)
{
    CLumetCtrl c;
    std::unique_ptr<QDialog> box(c.createAboutBox());
    QStringList texts;
    for (QLabel *l : box->findChildren<QLabel *>())
        texts << l->text();
    EXPECT_TRUE(texts.join(' ').contains(QStringLiteral("LuMet Control, Version 3.00.001")));

    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            shown = w->objectName() == QStringLiteral("LumetAboutBox");
            static_cast<QDialog *>(w)->accept();
        }
    });
    EXPECT_EQ(c.Invoke(CLumetCtrl::DispAboutBox), LUMET_S_OK);
    EXPECT_TRUE(shown);
}
