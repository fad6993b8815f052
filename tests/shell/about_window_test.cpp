#include "window_test.h"

#include "shell/about_window.h"
#include "shell/window_opener.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using namespace tessaly::shell;

namespace {

using AboutWindowTest = WindowTest;

TEST_F(AboutWindowTest, showsTheVersionAndClosingEnablesTheMainWindow) {
    QWidget main;
    main.setEnabled(false);
    linkMain(main);
    panels[0] = QStringLiteral("hint");
    context().Prefs.AppVersion = QStringLiteral("3.1");

    QPointer<AboutWindow> about = new AboutWindow(context().Prefs.AppVersion);
    OpenOverMain(about, Placement::TopRight);
    EXPECT_EQ(about->LblProduct->text(), QStringLiteral("Tessaly"));
    EXPECT_EQ(about->LblVersion->text(), QStringLiteral("Version 3.1"));
    QTest::mouseClick(about->BtnOK, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(panels[0], QString());
}

}  // namespace
