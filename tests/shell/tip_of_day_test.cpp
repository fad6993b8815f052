#include "window_test.h"

#include "shell/tip_of_day.h"
#include "shell/window_opener.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTest>

using namespace tessaly::shell;

namespace {

class TipOfDayTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        RestartTipRandom();
        main.setEnabled(false);
        linkMain(main);
        panels[0] = QStringLiteral("left over");
    }
    // Opened the way the main window opens it.
    TipOfDay* openTip() {
        auto* tip = new TipOfDay(context());
        OpenOverMain(tip, Placement::Centred);
        return tip;
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void expectClosedCleanly(const QPointer<TipOfDay>& tip) {
        flushDeletes();
        EXPECT_TRUE(tip.isNull()) << "the window deletes itself";
        EXPECT_TRUE(main.isEnabled());
        EXPECT_EQ(panels[0], QString());
    }

    QWidget main;
};

TEST_F(TipOfDayTest, everyRunStartsWithTheSameTip) {
    QString first;
    for (int run = 0; run < 2; ++run) {
        RestartTipRandom();
        auto* tip = new TipOfDay(context());
        if (run == 0) first = tip->TxtTipTxt->text();
        EXPECT_EQ(tip->TxtTipTxt->text(), first);
        EXPECT_EQ(tip->TxtTipTxt->text(), TipText(tip->TipIndex()));
        tip->close();
    }
    EXPECT_EQ(TipText(7), QStringLiteral("You can Right Click on any buttton to load a PopUp Menu."));
}

TEST_F(TipOfDayTest, nextTipNeverShowsTheSameTipAgainAndReachesEveryTip) {
    auto* tip = new TipOfDay(context());
    QSet<int> seen{tip->TipIndex()};
    for (int press = 0; press < 200; ++press) {
        const int before = tip->TipIndex();
        QTest::mouseClick(tip->BtnNext, Qt::LeftButton);
        ASSERT_NE(tip->TipIndex(), before) << "press " << press;
        seen.insert(tip->TipIndex());
    }
    EXPECT_EQ(seen.size(), kTipCount);
    QTest::keyClick(tip, Qt::Key_Return);  // Enter asks for the next tip too
    tip->close();
}

TEST_F(TipOfDayTest, randomValuesStayBelowOne) {
    for (int i = 0; i < 10000; ++i) {
        const double r = NextTipRandom();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
    }
}

TEST_F(TipOfDayTest, closeWritesTheCheckBoxAndEnablesTheMainWindow) {
    for (const bool stored : {true, false}) {
        WriteTips(context().Profile, context().PreferencesFile, stored);
        QPointer<TipOfDay> tip = openTip();
        EXPECT_EQ(tip->ChkTips->isChecked(), stored);
        QTest::mouseClick(tip->ChkTips, Qt::LeftButton);
        QTest::mouseClick(tip->BtnOK, Qt::LeftButton);
        EXPECT_EQ(preference(QStringLiteral("Tips")), stored ? QStringLiteral("0") : QStringLiteral("1"));
        expectClosedCleanly(tip);
        main.setEnabled(false);
    }
}

TEST_F(TipOfDayTest, closingFromTheSystemMenuWritesNothing) {
    QPointer<TipOfDay> tip = openTip();
    tip->ChkTips->setChecked(true);
    tip->close();
    expectClosedCleanly(tip);
    EXPECT_FALSE(QFile::exists(context().PreferencesFile));
}

TEST_F(TipOfDayTest, theStatusBarShowsTheCaptionWhileActive) {
    auto* tip = openTip();
    ASSERT_TRUE(QTest::qWaitForWindowActive(tip));
    EXPECT_EQ(panels[0], QStringLiteral("Tip of The Day"));
    tip->close();
    EXPECT_EQ(panels[0], QString());
}

TEST_F(TipOfDayTest, onAFirstRunTheBoxIsTickedSoAPlainCloseKeepsTheTips) {
    QPointer<TipOfDay> tip = openTip();
    EXPECT_TRUE(tip->ChkTips->isChecked());
    QTest::mouseClick(tip->BtnOK, Qt::LeftButton);
    EXPECT_EQ(preference(QStringLiteral("Tips")), QStringLiteral("1"));
    expectClosedCleanly(tip);
}

}  // namespace
