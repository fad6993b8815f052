// The main window is disabled while any window is over it, whichever way that
// window was opened, and takes input again only when the last one has closed.
#include "../shell/window_test.h"

#include "shell/progress_windows.h"
#include "shell/window_opener.h"

#include <QDialog>
#include <QLineEdit>
#include <QWindow>

using namespace tessaly::shell;

namespace {

class ModalBookkeepingTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        linkMain(main);
        main.show();
    }
    // A dialog opened over the main window as the program's dialogs are; it deletes itself when closed.
    QDialog* openOverMain() {
        auto* dialog = new QDialog(nullptr, kFixedDialogFlags);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        OpenOverMain(dialog, Placement::TopRight);
        return dialog;
    }
    // A modal message over whatever is open; 'inside' runs while it is up.
    void message(const std::function<void(QDialog&)>& inside) {
        QDialog box;
        answerWith([inside](QDialog& window) {
            inside(window);
            window.reject();
        });
        RunModal(box);
    }

    QWidget main;
};

// A modal window directly over the main window greys it for as long as it is up,
// and is the window a refresh of the main window (the in-use timer's) finds over it.
TEST_F(ModalBookkeepingTest, aModalWindowDisablesTheMainWindowWhileItIsUp) {
    message([&](QDialog& box) {
        EXPECT_FALSE(main.isEnabled());
        EXPECT_EQ(OpenWindowOverMain(), &box);
    });
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(OpenWindowOverMain(), nullptr);
}

// Nested windows, closed in the orders that happen: the main window takes input
// again only once nothing is left over it.
TEST_F(ModalBookkeepingTest, theMainWindowIsEnabledOnlyWhenTheLastWindowOverItCloses) {
    struct Case {
        const char* name;
        bool dialogFirst;        // a dialog is open over the main window before the messages
        bool closeDialogInside;  // the dialog closes while the inner message is up
    };
    const Case cases[] = {
        {"message over a message", false, false},
        {"message over a dialog", true, false},
        {"dialog closing under a message", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<QDialog> dialog = c.dialogFirst ? openOverMain() : nullptr;
        message([&](QDialog&) {
            message([&](QDialog&) {
                if (c.closeDialogInside) dialog->close();
                EXPECT_FALSE(main.isEnabled());
            });
            EXPECT_FALSE(main.isEnabled());
        });
        EXPECT_EQ(main.isEnabled(), !dialog || !dialog->isVisible());
        if (dialog) dialog->close();
        EXPECT_TRUE(main.isEnabled());
    }
}

// Of two dialogs over the main window, the first to close leaves it disabled.
TEST_F(ModalBookkeepingTest, closingOneOfTwoDialogsKeepsTheMainWindowDisabled) {
    QDialog* first = openOverMain();
    QDialog* second = openOverMain();
    first->close();
    EXPECT_FALSE(main.isEnabled());
    second->close();
    EXPECT_TRUE(main.isEnabled());
}

// The progress window disabled the main window: it stays so after a message
// shown meanwhile, for the operation to enable it when it ends.
TEST_F(ModalBookkeepingTest, aMessageDuringAProgressWindowLeavesTheMainWindowDisabled) {
    ShowProgressWindow();
    message([](QDialog&) {});
    EXPECT_FALSE(main.isEnabled());
    PercentWindow().hide();
}

// The window manager learns which window a parentless message belongs to: the
// window in front of the main window. The control that had the focus gets it back.
TEST_F(ModalBookkeepingTest, aMessageIsTransientForTheTopWindowAndTheFocusGoesBack) {
    auto* field = new QLineEdit(&main);
    field->show();
    main.activateWindow();
    field->setFocus();
    message([&](QDialog& box) { EXPECT_EQ(box.windowHandle()->transientParent(), main.windowHandle()); });
    EXPECT_EQ(main.focusWidget(), field);

    QDialog* dialog = openOverMain();
    message([&](QDialog& box) { EXPECT_EQ(box.windowHandle()->transientParent(), dialog->windowHandle()); });
    dialog->close();
}

}  // namespace
