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
    Shared().MainWindow = &main;
    QString panel = QStringLiteral("hint");
    Shared().StatusText = [&](int index, const QString& text) { if (index == 0) panel = text; };
    Shared().Prefs.AppVersion = QStringLiteral("3.1");

    QPointer<AboutWindow> about = new AboutWindow;
    OpenOverMain(about, Placement::TopRight);
    EXPECT_EQ(about->LblProduct->text(), QStringLiteral("Tessaly"));
    EXPECT_EQ(about->LblVersion->text(), QStringLiteral("Version 3.1"));
    QTest::mouseClick(about->BtnOK, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(panel, QString());
}

}  // namespace
