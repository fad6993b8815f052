#include "app_fixture.h"

#include "shell/placement.h"
#include "shell/progress_windows.h"
#include "shell/twips.h"

#include "lumetctrl.h"

#include <QLabel>

namespace {

const QSize kScreen(19200, 12000);  // 1280 × 800 pixels
const QSize kDialog(4500, 3000);

TEST(Placement, aDialogFromAMainWindowInTheBottomRightCornerIsPulledBackOnScreen) {
    const QRect main(kScreen.width() - 2000, kScreen.height() - 1000, 8895, 6000);
    const QPoint p = shell::TopRightOf(main, kDialog, kScreen);
    EXPECT_EQ(p.y(), kScreen.height() - kDialog.height() - 300);
    EXPECT_EQ(p.x(), kScreen.width() - kDialog.width() - 150);
}

TEST(Placement, aDialogFromAMainWindowNearTheTopLeftKeepsItsMargins) {
    const QRect main(-6000, -500, 8895, 6000);
    const QPoint p = shell::TopRightOf(main, kDialog, kScreen);
    EXPECT_EQ(p, QPoint(150, 300));
    // In the open: the right edge 150 inside the main window's, the top 150 below its top.
    const QRect centre(3000, 2000, 8895, 6000);
    EXPECT_EQ(shell::TopRightOf(centre, kDialog, kScreen), QPoint(3000 + 8895 - 4500 - 150, 2150));
}

TEST(Placement, messageWindowsOnlyKeepClearOfTheBottomAndTheLeftEdge) {
    const QSize box(4755, 2130);
    EXPECT_EQ(shell::MessageWindowCorrected(QPoint(-400, 11000), box, kScreen),
              QPoint(150, kScreen.height() - 2130 - 300));
    EXPECT_EQ(shell::MessageWindowCorrected(QPoint(18000, -50), box, kScreen), QPoint(18000, -50));
}

using ProgressTest = AppTest;

TEST_F(ProgressTest, theProgressWindowsOpenOverADisabledMainWindowWithTheirTextsReset) {
    preferences();
    cards({{"Ann", "Lee", "Acme"}});
    ASSERT_TRUE(app::Main(context()));
    shell::Percent& percent = shell::PercentWindow();
    percent.LblLumet->setText(QStringLiteral("left over"));
    shell::SetGaugePercent(percent.Lumet, 70);
    main().SetStatusText(1, QStringLiteral("x"));

    shell::ShowProgressWindow();
    EXPECT_TRUE(percent.isVisible());
    EXPECT_FALSE(main().isEnabled());
    EXPECT_EQ(percent.LblLumet->text(), "");
    EXPECT_EQ(percent.Lumet->GetProperty(CLumetCtrl::DispPercent).toInt(), 0);
    EXPECT_EQ(main().StatBar->text(1), "");
    const QRect m = shell::WindowTwips(&main()), p = shell::WindowTwips(&percent);
    EXPECT_NEAR(p.center().x(), m.center().x(), 90);
    EXPECT_NEAR(p.center().y(), m.center().y(), 90);

    // The store's progress lands in the window that is up.
    shell::WindowProgress progress(nullptr, &main().Link());
    progress.percentText(QStringLiteral("Please wait while sorting names list..."));
    progress.gauge(40);
    progress.statusText(0, QStringLiteral("Sorting"));
    EXPECT_EQ(percent.LblLumet->text(), "Please wait while sorting names list...");
    EXPECT_EQ(percent.Lumet->GetProperty(CLumetCtrl::DispPercent).toInt(), 40);
    EXPECT_EQ(main().StatBar->text(0), "Sorting");
    percent.hide();

    shell::ShowPleaseWait();
    EXPECT_TRUE(shell::PleaseWaitWindow().isVisible());
    EXPECT_EQ(shell::PleaseWaitWindow().Lbl1->text(), "");
    shell::PleaseWaitWindow().hide();
    main().SetData();
    EXPECT_TRUE(main().isEnabled());
}

TEST_F(ProgressTest, theSplashGaugeFollowsTheLoadingAndTheSplashIsGoneAfterwards) {
    preferences();
    QList<std::array<QString, 3>> list;
    for (int i = 0; i < 50; ++i) list.append({QStringLiteral("P"), QString::number(i), QString()});
    cards(list);
    QList<int> seen;
    QStringList texts;
    // Watch the splash while the lists load: each repaint the loading allows shows the gauge's value.
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<shell::Welcome*>(w); splash && splash->Lumet->isVisible()) {
                seen << splash->Lumet->GetProperty(CLumetCtrl::DispPercent).toInt();
                texts << splash->Lbl->text();
            }
    });
    watcher.start(0);
    ASSERT_TRUE(app::Main(context()));
    watcher.stop();
    QList<int> loading;
    for (int i = 0; i < seen.size(); ++i)
        if (texts[i] == "Loading Names...") loading << seen[i];
    ASSERT_GE(loading.size(), 2);  // repaints come at most sixty times a second
    EXPECT_TRUE(std::is_sorted(loading.begin(), loading.end()));
    EXPECT_EQ(loading.back(), 100);
    EXPECT_TRUE(texts.contains("Sorting Names..."));
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<shell::Welcome*>(w), nullptr);
}

}  // namespace
