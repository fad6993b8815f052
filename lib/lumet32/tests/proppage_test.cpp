// The "General" property page: layout, exchange, validation and Apply.
#include "gaugetest.h"
#include "lumetproppage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>

namespace {

QComboBox *list(CLumetPropPage &p, int id)
{
    return qobject_cast<QComboBox *>(p.control(id));
}
QLineEdit *edit(CLumetPropPage &p, int id)
{
    return qobject_cast<QLineEdit *>(p.control(id));
}

// Collects validation messages instead of showing a message box.
struct MessageCatcher
{
    QStringList messages;
    MessageCatcher()
    {
        CLumetPropPage::setMessageHook([this](QWidget *, const QString &text) { messages << text; });
    }
    ~MessageCatcher() { CLumetPropPage::setMessageHook({}); }
};

} // namespace

TEST(GaugePropPage, controlsSitInTheirRowsWithFiveStyles)
{
    CLumetPropPage page;
    EXPECT_EQ(CLumetPropPage::caption(), QStringLiteral("General"));
    for (int id : { 201, 202, 204 }) {
        QComboBox *c = list(page, id);
        ASSERT_NE(c, nullptr) << id;
        QStringList items;
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
        EXPECT_EQ(items, (QStringList { "None", "Raised", "Inset", "Lowered", "Solid" }));
    }
    for (int id : { 206, 208, 210, 213 })
        ASSERT_NE(edit(page, id), nullptr) << id;
    // Widths in one column right of the lists; rows top to bottom: border, outer, inner, bar.
    const int editX = page.control(208)->x();
    for (int id : { 206, 210, 213 })
        EXPECT_EQ(page.control(id)->x(), editX);
    EXPECT_EQ(page.control(201)->x(), page.control(204)->x());
    EXPECT_LT(page.control(201)->geometry().right(), editX);
    EXPECT_LT(page.control(208)->y(), page.control(206)->y());
    EXPECT_EQ(page.control(201)->y(), page.control(206)->y());
    EXPECT_LT(page.control(206)->y(), page.control(210)->y());
    EXPECT_EQ(page.control(204)->y(), page.control(213)->y());
    // Dialog units scale with the font: the page is 250 × 110 of them.
    EXPECT_NEAR(double(page.width()) / page.height(), (250.0 / 4 * 6) / (110.0 / 8 * 13), 0.35);
    auto *group = page.findChild<QGroupBox *>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Bevel Styles"));
    for (int id : { 201, 202, 204, 206, 210, 213 })
        EXPECT_TRUE(group->geometry().contains(page.control(id)->geometry().center())) << id;
}

TEST(GaugePropPage, startsEmptyAndLoadsFromTheFirstGauge)
{
    CLumetPropPage page;
    for (int id : { 201, 202, 204 })
        EXPECT_EQ(list(page, id)->currentIndex(), -1);
    for (int id : { 206, 208, 210, 213 })
        EXPECT_EQ(edit(page, id)->text(), QStringLiteral("0"));

    CLumetCtrl first, second;
    first.setBevelBar(CLumetCtrl::kvBevelInset);
    first.setBevelWidthBar(5);
    first.setBevelInner(CLumetCtrl::kvBevelSolid);
    first.setBevelWidthInner(6);
    first.setBorderWidth(9);
    second.setBorderWidth(2);
    page.SetObjects({ &first, &second });
    EXPECT_EQ(list(page, 204)->currentIndex(), 2);
    EXPECT_EQ(edit(page, 213)->text(), QStringLiteral("5"));
    EXPECT_EQ(list(page, 202)->currentIndex(), 4);
    EXPECT_EQ(edit(page, 210)->text(), QStringLiteral("6"));
    EXPECT_EQ(list(page, 201)->currentIndex(), 1);
    EXPECT_EQ(edit(page, 206)->text(), QStringLiteral("1"));
    EXPECT_EQ(edit(page, 208)->text(), QStringLiteral("9"));
}

TEST(GaugePropPage, applyWritesEveryValueToEveryGauge)
{
    CLumetCtrl a, b;
    CLumetPropPage page;
    page.SetObjects({ &a, &b });
    list(page, 201)->setCurrentIndex(4);
    list(page, 202)->setCurrentIndex(0);
    list(page, 204)->setCurrentIndex(3);
    edit(page, 206)->setText(QStringLiteral("2"));
    edit(page, 208)->setText(QStringLiteral(" 0 "));
    edit(page, 210)->setText(QStringLiteral("99"));
    edit(page, 213)->setText(QStringLiteral("7"));
    ASSERT_TRUE(page.Apply());
    for (CLumetCtrl *c : { &a, &b }) {
        EXPECT_EQ(c->bevelOuter(), CLumetCtrl::kvBevelSolid);
        EXPECT_EQ(c->bevelInner(), CLumetCtrl::kvBevelNone);
        EXPECT_EQ(c->bevelBar(), CLumetCtrl::kvBevelLowered);
        EXPECT_EQ(c->bevelWidthOuter(), 2);
        EXPECT_EQ(c->borderWidth(), 0);
        EXPECT_EQ(c->bevelWidthInner(), 99);
        EXPECT_EQ(c->bevelWidthBar(), 7);
    }
    EXPECT_EQ(page.value(CLumetPropPage::IDC_INNERWIDTH), 99);
}

TEST(GaugePropPage, widthsOutsideZeroToNinetyNineAreRefusedInExchangeOrder)
{
    MessageCatcher catcher;
    CLumetCtrl a;
    CLumetPropPage page;
    page.SetObjects({ &a });
    page.show();
    QApplication::setActiveWindow(&page);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));

    // Two bad boxes: the bar width is exchanged before the border width.
    edit(page, 208)->setText(QStringLiteral("100"));
    edit(page, 213)->setText(QStringLiteral("-1"));
    list(page, 201)->setCurrentIndex(4);
    EXPECT_FALSE(page.Apply());
    ASSERT_EQ(catcher.messages.size(), 1);
    EXPECT_EQ(catcher.messages[0], QStringLiteral("Please enter an integer between 0 and 99."));
    EXPECT_EQ(QApplication::focusWidget(), page.control(213));
    EXPECT_EQ(a.bevelOuter(), CLumetCtrl::kvBevelRaised); // nothing written

    edit(page, 213)->setText(QStringLiteral("3"));
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(QApplication::focusWidget(), page.control(208));
    EXPECT_EQ(edit(page, 208)->selectedText(), QStringLiteral("100"));

    edit(page, 208)->setText(QStringLiteral("two"));
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(catcher.messages.last(), QStringLiteral("Please enter an integer."));

    edit(page, 208)->setText(QStringLiteral("99"));
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(a.borderWidth(), 99);
    EXPECT_EQ(a.bevelWidthBar(), 3);
    EXPECT_EQ(a.bevelOuter(), CLumetCtrl::kvBevelSolid);
}

TEST(GaugePropPage, listWithoutSelectionLeavesTheStyleAlone)
{
    CLumetCtrl a;
    a.setBevelBar(CLumetCtrl::kvBevelSolid);
    CLumetPropPage page;
    page.SetObjects({ &a });
    list(page, 204)->setCurrentIndex(-1);
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(a.bevelBar(), CLumetCtrl::kvBevelSolid);
}
