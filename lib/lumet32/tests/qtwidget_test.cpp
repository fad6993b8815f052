// The gauge as a Qt widget: setProperty with wide values, notify signals,
// QColor views, geometry, device pixel ratio, accessibility, Designer.
#include "gaugetest.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QVBoxLayout>

#ifdef LUMET32_DESIGNER_PLUGIN
#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#endif

using namespace gaugetest;

TEST(GaugeQtProperties, setPropertyClampsWideNumbersInsteadOfWrapping)
{
    struct Case
    {
        const char *name;
        QVariant value;
        int expected;
    };
    const Case cases[] = {
        { "Percent", 40000, 100 },
        { "Percent", 65586, 100 },
        { "Percent", -70000, 0 },
        { "BorderWidth", 70000, 32767 },
        { "BevelWidthBar", -3, 0 },
        { "BevelWidthInner", 1e9, 32767 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value.toString().toStdString());
        CLumetCtrl gauge;
        EXPECT_TRUE(gauge.setProperty(c.name, c.value));
        EXPECT_EQ(gauge.property(c.name).toInt(), c.expected);
    }
}

TEST(GaugeQtProperties, setPropertyRefusesBevelStylesOutsideTheEnumeration)
{
    struct Case
    {
        QVariant value;
        bool accepted;
        int expected;
    };
    const Case cases[] = {
        { 7, false, 2 },
        { -1, false, 2 },
        { QStringLiteral("9"), false, 2 },
        { QStringLiteral("Sideways"), false, 2 },
        { 4, true, 4 },
        { QStringLiteral("kvBevelRaised"), true, 1 },
        { short(0), true, 0 },
    };
    for (const char *name : { "BevelOuter", "BevelBar", "BevelInner" }) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(name) + "=" + c.value.toString().toStdString());
            CLumetCtrl gauge;
            ASSERT_TRUE(gauge.setProperty(name, 2));
            EXPECT_EQ(gauge.setProperty(name, c.value), c.accepted);
            EXPECT_EQ(gauge.property(name).toInt(), c.expected);
        }
    }
}

TEST(GaugeQtProperties, everyNotifySignalFiresOnceForAChangeAndNotForTheSameValue)
{
    const QMetaObject *mo = &CLumetCtrl::staticMetaObject;
    const QHash<QByteArray, QVariant> changed = {
        { "Percent", 42 },
        { "BevelOuter", 4 },
        { "BevelBar", 2 },
        { "BevelInner", 0 },
        { "BevelWidthBar", 3 },
        { "BevelWidthOuter", 3 },
        { "BevelWidthInner", 3 },
        { "BorderWidth", 5 },
        { "Caption", QStringLiteral("Busy") },
        { "TextBackColor", 0x123456u },
        { "TextForeColor", 0x123456u },
        { "BackColor", 0x123456u },
        { "ForeColor", 0x123456u },
        { "FontBold", true },
        { "FontItalic", true },
        { "FontStrikethru", true },
        { "FontUnderline", true },
        { "FontName", QStringLiteral("DejaVu Serif") },
        { "FontSize", 31.0f },
        { "Font", QFont(QStringLiteral("DejaVu Sans Mono"), 19) },
        { "barColor", QColor(Qt::red) },
        { "barTextColor", QColor(Qt::red) },
        { "emptyColor", QColor(Qt::red) },
        { "emptyTextColor", QColor(Qt::red) },
    };
    int checked = 0;
    for (int i = QWidget::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (!p.hasNotifySignal())
            continue;
        SCOPED_TRACE(p.name());
        ASSERT_TRUE(changed.contains(p.name()));
        CLumetCtrl gauge;
        QSignalSpy spy(&gauge, p.notifySignal());
        ASSERT_TRUE(p.write(&gauge, changed[p.name()]));
        EXPECT_EQ(spy.count(), 1);
        p.write(&gauge, p.read(&gauge));
        EXPECT_EQ(spy.count(), 1);
        ++checked;
    }
    EXPECT_EQ(checked, changed.size());
}

TEST(GaugeQtProperties, loadingAStateSignalsWhatChanged)
{
    CLumetCtrl source;
    source.setPercent(70);
    source.setBorderWidth(3);
    CLumetCtrl gauge;
    QSignalSpy percent(&gauge, &CLumetCtrl::percentChanged);
    QSignalSpy border(&gauge, &CLumetCtrl::borderWidthChanged);
    QSignalSpy caption(&gauge, &CLumetCtrl::captionChanged);
    ASSERT_EQ(gauge.loadState(source.saveState()), CLumetCtrl::StateLoad::Complete);
    EXPECT_EQ(percent.count(), 1);
    EXPECT_EQ(border.count(), 1);
    EXPECT_EQ(caption.count(), 0);
}

TEST(GaugeQtProperties, qColorViewsReadAndWriteTheOleColours)
{
    CLumetCtrl gauge;
    gauge.setBarColor(QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(gauge.foreColor(), 0x00332211u); // blue in the high byte
    EXPECT_EQ(gauge.barColor(), QColor(0x11, 0x22, 0x33));
    gauge.setEmptyTextColor(QColor(255, 0, 0, 40)); // alpha is dropped
    EXPECT_EQ(gauge.textForeColor(), 0x000000FFu);
    gauge.setBarTextColor(QColor());
    EXPECT_EQ(gauge.textBackColor(), 0x00FFFFFFu); // an invalid colour is refused
    gauge.setBackColor(0x80000005); // system colour: window background
    EXPECT_EQ(gauge.emptyColor(), gauge.palette().color(QPalette::Active, QPalette::Base));
}

TEST(GaugeQtWidget, frameWidthChangesReachTheLayout)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *gauge = new CLumetCtrl(&window);
    layout->addWidget(gauge);
    const int before = layout->sizeHint().height();
    gauge->setBorderWidth(10);
    EXPECT_EQ(layout->sizeHint().height(), before + 18);
    gauge->setBevelOuter(CLumetCtrl::kvBevelNone);
    EXPECT_EQ(layout->sizeHint().height(), before + 16);
}

TEST(GaugeQtWidget, atDevicePixelRatioTwoFramesDoubleAndTextUsesEveryPixel)
{
    CLumetCtrl gauge;
    gauge.resize(120, 30);
    gauge.setFont(bigFont());
    gauge.setPercent(50);
    const QImage image = gauge.renderImage(2);
    ASSERT_EQ(image.size(), QSize(240, 60));
    EXPECT_EQ(image.devicePixelRatio(), 2);
    // The raised outer ring is two device pixels wide: white on top, grey at the bottom.
    for (int y : { 0, 1 })
        EXPECT_EQ(px(image, 40, y), White);
    for (int y : { 58, 59 })
        EXPECT_EQ(px(image, 40, y), Grey);
    // A 1x bitmap scaled up would make every aligned 2x2 block of one colour;
    // text drawn at the full resolution has blocks that are not.
    int mixed = 0;
    for (int y = 8; y < 52; y += 2)
        for (int x = 8; x < 232; x += 2)
            mixed += !(image.pixel(x, y) == image.pixel(x + 1, y) && image.pixel(x, y) == image.pixel(x, y + 1)
                && image.pixel(x, y) == image.pixel(x + 1, y + 1));
    EXPECT_GT(mixed, 10);
}

TEST(GaugeQtWidget, screenReadersSeeAProgressBarWithItsValue)
{
    CLumetCtrl gauge;
    gauge.setPercent(42);

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&gauge);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ProgressBar);
    ASSERT_NE(iface->valueInterface(), nullptr);
    EXPECT_EQ(iface->valueInterface()->currentValue().toInt(), 42);
    EXPECT_EQ(iface->valueInterface()->maximumValue().toInt(), 100);
    EXPECT_EQ(iface->text(QAccessible::Value), QStringLiteral("42%"));
    gauge.setCaption(QStringLiteral("Loading cards..."));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Loading cards..."));
    iface->valueInterface()->setCurrentValue(7); // read-only, as a progress bar
    EXPECT_EQ(gauge.percent(), 42);
}

#ifdef LUMET32_DESIGNER_PLUGIN
TEST(GaugeDesignerPlugin, createsTheGaugeForDesigner)
{
    QPluginLoader loader(QStringLiteral(LUMET32_DESIGNER_PLUGIN));
    auto *plugin = qobject_cast<QDesignerCustomWidgetInterface *>(loader.instance());
    ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
    EXPECT_EQ(plugin->name(), QStringLiteral("CLumetCtrl"));
    EXPECT_EQ(plugin->includeFile(), QStringLiteral("lumetctrl.h"));
    EXPECT_TRUE(plugin->domXml().contains(QStringLiteral("class=\"CLumetCtrl\"")));
    QWidget parent;
    EXPECT_NE(qobject_cast<CLumetCtrl *>(plugin->createWidget(&parent)), nullptr);
}
#endif
