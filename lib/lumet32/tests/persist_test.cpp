// Saving, loading and resetting the gauge's properties.
#include "gaugetest.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QtEndian>

namespace {

void customise(CLumetCtrl &c)
{
    c.setPercent(64);
    c.setBevelOuter(CLumetCtrl::kvBevelSolid);
    c.setBevelBar(CLumetCtrl::kvBevelRaised);
    c.setBevelWidthBar(2);
    c.setTextBackColor(0x00123456);
    c.setTextForeColor(0x8000000E);
    c.setBorderWidth(4);
    c.setBevelInner(CLumetCtrl::kvBevelInset);
    c.setCaption(QStringLiteral("Chargement… 64 %"));
    c.setBevelWidthOuter(3);
    c.setBevelWidthInner(5);
    c.setBackColor(0x00ABCDEF);
    c.setForeColor(0x00000080);
    c.setEnabled(false);
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPointSizeF(13.5);
    f.setBold(true);
    f.setUnderline(true);
    c.setFont(f);
}

// Every property readable by id, for comparing two gauges.
QVariantList snapshot(const CLumetCtrl &c)
{
    QVariantList v;
    for (int id = 1; id <= 18; ++id)
        v << c.GetProperty(id);
    for (int id : { CLumetCtrl::DispBackColor, CLumetCtrl::DispForeColor, CLumetCtrl::DispEnabled })
        v << c.GetProperty(id);
    return v;
}

// Offsets of fields in a saved state of a gauge with the default (host) font.
constexpr int PercentAt = 4 + 4 + 4 + 4 + 1 + 1;
constexpr int CaptionAt = PercentAt + 2 * 4 + 4 * 2 + 2 * 2;

} // namespace

TEST(GaugePersistence, roundTripKeepsEveryProperty)
{
    CLumetCtrl a;
    customise(a);
    const QByteArray state = a.saveState();
    ASSERT_TRUE(state.startsWith("LuMt"));
    EXPECT_EQ(qFromLittleEndian<quint32>(state.constData() + 4), 0x00030000u);

    CLumetCtrl b;
    EXPECT_EQ(b.loadState(state), CLumetCtrl::StateLoad::Complete);
    EXPECT_EQ(snapshot(b), snapshot(a));
    EXPECT_EQ(b.font(), a.font());
    EXPECT_EQ(b.saveState(), state);
}

TEST(GaugePersistence, hostFontStaysTheHostsAfterARoundTrip)
{
    CLumetCtrl a;
    const QByteArray state = a.saveState();
    CLumetCtrl b;
    b.setFontBold(true);
    ASSERT_EQ(b.loadState(state), CLumetCtrl::StateLoad::Complete);
    EXPECT_FALSE(b.testAttribute(Qt::WA_SetFont));
}

TEST(GaugePersistence, resetRestoresTheDefaults)
{
    CLumetCtrl fresh;
    CLumetCtrl c;
    customise(c);
    c.resetState();
    EXPECT_EQ(snapshot(c), snapshot(fresh));
}

TEST(GaugePersistence, truncatedStateLoadsItsPrefixAndDefaultsTheRest)
{
    CLumetCtrl a;
    a.setPercent(77);
    a.setBevelOuter(CLumetCtrl::kvBevelSolid);
    a.setCaption(QStringLiteral("abc"));
    const QByteArray state = a.saveState();
    CLumetCtrl fresh;
    // Every cut: no fault, and whatever is loaded obeys the property rules.
    for (int n = 0; n < state.size(); ++n) {
        CLumetCtrl b;
        const auto result = b.loadState(state.left(n));
        EXPECT_EQ(result, n < 8 ? CLumetCtrl::StateLoad::Unreadable : CLumetCtrl::StateLoad::Incomplete) << n;
    }
    CLumetCtrl b;
    b.loadState(state.left(PercentAt + 4)); // Percent and BevelOuter only
    EXPECT_EQ(b.percent(), 77);
    EXPECT_EQ(b.bevelOuter(), CLumetCtrl::kvBevelSolid);
    EXPECT_EQ(b.bevelBar(), fresh.bevelBar());
    EXPECT_EQ(b.caption(), QString());
    EXPECT_EQ(b.bevelWidthInner(), 1);
}

TEST(GaugePersistence, otherVersionKeepsStockPropertiesOnly)
{
    CLumetCtrl a;
    customise(a);
    QByteArray state = a.saveState();
    qToLittleEndian<quint32>(0x00020000, state.data() + 4);
    CLumetCtrl b;
    EXPECT_EQ(b.loadState(state), CLumetCtrl::StateLoad::OtherVersion);
    EXPECT_EQ(b.backColor(), a.backColor());
    EXPECT_EQ(b.font(), a.font());
    EXPECT_EQ(b.percent(), 0);
    EXPECT_EQ(b.bevelOuter(), CLumetCtrl::kvBevelRaised);
    EXPECT_EQ(b.caption(), QString());

    // A later minor version of the same format still reads.
    qToLittleEndian<quint32>(0x00030001, state.data() + 4);
    EXPECT_EQ(b.loadState(state + QByteArray("future")), CLumetCtrl::StateLoad::Complete);
    EXPECT_EQ(b.percent(), 64);
}

TEST(GaugePersistence, corruptStatesFallBackToDefaults)
{
    CLumetCtrl a;
    a.setPercent(20);
    a.setCaption(QStringLiteral("xy"));
    a.setBevelWidthInner(6);
    const QByteArray good = a.saveState();

    CLumetCtrl b;
    b.setPercent(90);
    EXPECT_EQ(b.loadState(QByteArray("not a gauge state at all")), CLumetCtrl::StateLoad::Unreadable);
    EXPECT_EQ(b.percent(), 0);

    // A caption length pointing past the end: what comes before it stays.
    QByteArray badLength = good;
    qToLittleEndian<quint32>(0x7FFFFFF0, badLength.data() + CaptionAt);
    EXPECT_EQ(b.loadState(badLength), CLumetCtrl::StateLoad::Incomplete);
    EXPECT_EQ(b.percent(), 20);
    EXPECT_EQ(b.caption(), QString());
    EXPECT_EQ(b.bevelWidthInner(), 1);

    // Values outside their ranges get the property rules.
    QByteArray wild = good;
    qToLittleEndian<qint16>(500, wild.data() + PercentAt);
    qToLittleEndian<qint16>(9, wild.data() + PercentAt + 2);
    qToLittleEndian<qint16>(-4, wild.data() + PercentAt + 6);
    EXPECT_EQ(b.loadState(wild), CLumetCtrl::StateLoad::Complete);
    EXPECT_EQ(b.percent(), 100);
    EXPECT_EQ(b.bevelOuter(), CLumetCtrl::kvBevelRaised);
    EXPECT_EQ(b.bevelWidthBar(), 0);
}

TEST(GaugePersistence, fontSizesASavedStateCannotKeepAreRefusedOrKeptAtTheLimit)
{
    CLumetCtrl c;
    const float before = c.fontSize();
    c.setFontSize(3000);
    EXPECT_EQ(c.fontSize(), before);
    QFont huge(QStringLiteral("DejaVu Sans"));
    huge.setPointSize(5000);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispFont, huge), LUMET_CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(c.SetProperty(CLumetCtrl::DispFont, huge.toString()), LUMET_CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(c.fontSize(), before);

    // QWidget::setFont cannot be refused: the state keeps the largest size a load accepts.
    c.setFont(huge);
    CLumetCtrl b;
    EXPECT_EQ(b.loadState(c.saveState()), CLumetCtrl::StateLoad::Complete);
    EXPECT_EQ(b.fontName(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(b.fontSize(), float(CLumetCtrl::MaxFontSize));
}

TEST(GaugePersistence, aDamagedFontRecordLoadsAsIncomplete)
{
    CLumetCtrl a;
    QFont f(QStringLiteral("Sans"));
    f.setPointSize(12);
    a.setFont(f);
    a.setPercent(33);
    QByteArray state = a.saveState();
    const int sizeAt = 4 + 4 + 4 + 4 + 1 + 1 + 4 + 4; // after the family "Sans"
    ASSERT_EQ(qFromLittleEndian<double>(state.constData() + sizeAt), 12.0);
    qToLittleEndian<double>(5000.0, state.data() + sizeAt);
    CLumetCtrl b;
    EXPECT_EQ(b.loadState(state), CLumetCtrl::StateLoad::Incomplete);
    EXPECT_FALSE(b.testAttribute(Qt::WA_SetFont)); // the host's font
    EXPECT_EQ(b.percent(), 33);
}

TEST(GaugePersistence, randomBytesNeverBreakTheInvariants)
{
    QRandomGenerator rng(1234);
    CLumetCtrl a;
    customise(a);
    const QByteArray good = a.saveState();
    for (int round = 0; round < 300; ++round) {
        QByteArray s = good;
        for (int k = 0; k < 1 + round % 6; ++k)
            s[8 + int(rng.bounded(quint32(s.size() - 8)))] = char(rng.bounded(256));
        if (round % 3 == 0)
            s.truncate(int(rng.bounded(quint32(s.size()))));
        CLumetCtrl b;
        b.loadState(s);
        EXPECT_GE(b.percent(), 0);
        EXPECT_LE(b.percent(), 100);
        EXPECT_TRUE(CLumetCtrl::isValidBevel(b.bevelOuter()) && CLumetCtrl::isValidBevel(b.bevelInner())
            && CLumetCtrl::isValidBevel(b.bevelBar()));
        EXPECT_GE(std::min({ b.bevelWidthBar(), b.bevelWidthInner(), b.bevelWidthOuter(), b.borderWidth() }), 0);
        b.resize(60, 20);
        EXPECT_EQ(b.renderImage().size(), QSize(60, 20));
    }
}
