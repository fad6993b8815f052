// Every window a person can open from the main window, walked for Alt keys
// that clash or are missing and for captions cut or lying on one another.
// CTest runs this at several scale factors and font resolutions.
#include "window_fixture.h"

#include "../support/window_checks.h"
#include "dialogs/dialog_openers.h"
#include "shell/window_opener.h"

#include <QAction>

namespace {

class WindowWalkTest : public FindCopyTest {
protected:
    void SetUp() override {
        FindCopyTest::SetUp();
        start({{{store::Sal, "Mr."},
                {store::FirstName, "Bert"},
                {store::LastName, "Brown"},
                {store::Company, "Zulu Trading"},
                {store::Phone1, "+49 30 1234567"},
                {store::EMail, "bert@example.org"}},
               {{store::FirstName, "Dora"}, {store::LastName, "Dunn"}, {store::Company, "Alpha"}}},
              "Tips=0\nDialVia=Command\nDialCommand=true %n\n");
        main().LstNames->setCurrentRow(0);
    }
    // Opens a window as 'open' does, checks it, and closes it again; windows
    // shown modally are checked and closed by the answerer.
    QStringList findingsOf(const std::function<void()>& open, bool everyButton = true) {
        QStringList found;
        shell::SetModalAnswerer([&](QDialog& window) {
            found << QStringLiteral("[%1]").arg(window.windowTitle())
                  << window_checks::AcceleratorFindings(&window, everyButton)
                  << window_checks::CaptionFindings(&window);
            window.reject();
        });
        open();
        QApplication::processEvents();
        if (QWidget* window = shell::OpenWindowOverMain()) {
            found << QStringLiteral("[%1]").arg(window->windowTitle())
                  << window_checks::AcceleratorFindings(window, everyButton) << window_checks::CaptionFindings(window);
            window->close();
            QApplication::processEvents();
        }
        shell::SetModalAnswerer({});
        found.removeIf([](const QString& line) { return line.startsWith(u'['); });
        return found;
    }
};

TEST_F(WindowWalkTest, theMainWindowAndItsMenusHaveOneAltKeyEachAndWholeCaptions) {
    // Every letter of these three belongs to a button of the window.
    const QStringList keyless{QStringLiteral("ChkCopyAddress"), QStringLiteral("ChkCopyFax"),
                              QStringLiteral("ChkCopyEMail")};
    EXPECT_EQ(window_checks::AcceleratorFindings(&main(), true, keyless), QStringList());
    QStringList found = window_checks::CaptionFindings(&main());
    // The notice band lies below the status bar: the window's height leaves it out, as drawn.
    found.removeIf([](const QString& line) { return line.contains(QLatin1String("Notice")); });
    EXPECT_EQ(found, QStringList());
    EXPECT_EQ(window_checks::MenuAcceleratorFindings(main().Menus().MnuLstNames), QStringList());
    // Every hint of the window stands whole in the status bar.
    for (QWidget* control : main().findChildren<QWidget*>()) {
        const QString hint = control->property("tag").toString();
        if (hint.isEmpty()) continue;
        main().SetStatusText(0, hint);
        EXPECT_EQ(main().StatBar->panel(0)->text(), hint);
    }
}

TEST_F(WindowWalkTest, everyWindowOverTheMainWindowHasOneAltKeyEachAndWholeCaptions) {
    auto click = [](QPushButton* button) { return [button] { QTest::mouseClick(button, Qt::LeftButton); }; };
    auto trigger = [](QAction* action) { return [action] { action->trigger(); }; };
    mainwin::TeslyMnu& m = main().Menus();
    const std::pair<const char*, std::function<void()>> windows[] = {
        {"Filter", click(main().BtnFilter)},
        {"Setup", click(main().BtnSetup)},
        {"New", click(main().BtnNew)},
        {"Edit", click(main().BtnEdit)},
        {"Delete", click(main().BtnDelete)},
        {"Dial", click(main().BtnDial)},
        {"About", click(main().BtnAbout)},
        {"Tip of the day", trigger(m.MnuTipOfDay)},
        {"Import", trigger(m.MnuImportArray[0])},
        {"Print labels", trigger(m.MnuPrintLabels)},
        {"Print list", trigger(m.MnuPrintList)},
        {"Sync accounts", trigger(m.MnuSyncAccounts)},
        {"Sync conflicts", trigger(m.MnuSyncConflicts)},
        {"Can't find text",
         [this] {
             main().TxtFind->setText(QStringLiteral("no such text"));
             QTest::mouseClick(main().BtnFind, Qt::LeftButton);
         }},
        {"Restore deleted",
         [this, &m] {
             dialogs::DeleteNoConfirm(context(), main().Selected());
             m.MnuExchangeArray[3]->trigger();
         }},
    };
    for (const auto& [name, open] : windows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(findingsOf(open), QStringList());
    }
}

}  // namespace
