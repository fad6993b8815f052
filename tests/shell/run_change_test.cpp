#include "window_test.h"

#include "cards/card_store.h"
#include "shell/msg_box.h"
#include "shell/progress_windows.h"
#include "shell/run_change.h"
#include "shell/window_opener.h"

#include <QDialog>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace tessaly;
using namespace tessaly::shell;

namespace {

// A main window with its in-use check running and an empty card file.
class RunChangeTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        timer.setInterval(2000);
        timer.start();
        linkMain(main, &timer);
        main.show();
        context().DataDir = folder.path();
        context().OpenStore();
        store::WriteEmptyHeader(context().Profile, context().DataFile);
    }
    void TearDown() override {
        PleaseWaitWindow().hide();
        WindowTest::TearDown();
    }

    QWidget main;
    QTimer timer;
};

// The check runs again after the scope, also when it was left by an error,
// and a check that was already paused (a menu is up) stays paused.
TEST_F(RunChangeTest, aPauseLeavesTheInUseCheckAsItFoundIt) {
    for (const bool running : {true, false}) {
        for (const bool throws : {false, true}) {
            SCOPED_TRACE(std::string(running ? "running" : "paused") + (throws ? ", left by an error" : ""));
            running ? timer.start() : timer.stop();
            try {
                const InUseCheckPause pause;
                EXPECT_FALSE(timer.isActive());
                if (throws) throw std::runtime_error("refused");
            } catch (const std::runtime_error&) {
            }
            EXPECT_EQ(timer.isActive(), running);
        }
    }
}

// Whatever the store answers, the change runs paused behind the wait window
// over a disabled main window, and the main window is shown again afterwards
// on the row asked for; a failure is reported and selects as a failure.
TEST_F(RunChangeTest, aChangeRunsBehindTheWaitWindowAndTheMainWindowShowsTheRowAfter) {
    struct Row {
        const char* name;
        std::function<void()> outcome;
        bool done;
    };
    const Row rows[] = {
        {"done", [] {}, true},
        {"another program has the file", [] { throw store::InUseError(); }, false},
        {"the card went meanwhile", [] { throw store::NoSuchCard("Card 7 is not on the lists"); }, false},
        {"the disk refused a write", [] { throw profile::WriteError("tesly0.dat: no space left"); }, false},
        {"something unexpected", [] { throw std::length_error("list too long"); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QPointer<QDialog> asking = new QDialog;
        asking->setAttribute(Qt::WA_DeleteOnClose);
        OpenOverMain(asking, Placement::TopRight);
        QSignalSpy refreshed(MainWindowLink::Current(), &MainWindowLink::listsChanged);
        QStringList reported;
        if (!row.done)
            answerWith([&](QDialog& box) {
                reported << box.windowTitle();
                box.reject();
            });
        bool during = false;
        const bool done = RunChange(*context().Store, {.asking = asking,
                                                       .waitText = QStringLiteral("Please wait"),
                                                       .change =
                                                           [&] {
                                                               during = !timer.isActive() && asking->isHidden() &&
                                                                        !main.isEnabled() &&
                                                                        PleaseWaitWindow().isVisible() &&
                                                                        panels[0] == "Please wait";
                                                               row.outcome();
                                                           },
                                                       .consequence = QStringLiteral("Nothing changed."),
                                                       .rowAfter = [](bool ok) { return ok ? 5 : 2; }});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(during);
        EXPECT_EQ(done, row.done);
        ASSERT_EQ(refreshed.count(), 1);
        EXPECT_EQ(refreshed.at(0).at(0).toInt(), row.done ? 5 : 2) << "the row the main window selects";
        EXPECT_EQ(reported, row.done ? QStringList() : QStringList{"Write Error"});
        EXPECT_TRUE(asking.isNull()) << "the asking dialog is closed";
        EXPECT_FALSE(PleaseWaitWindow().isVisible());
        EXPECT_TRUE(main.isEnabled());
        EXPECT_TRUE(timer.isActive());
    }
}

// A change that says its failures in its own words (the restore) is told in
// place of the write error, and the main window is shown again all the same.
TEST_F(RunChangeTest, aChangeWithItsOwnFailureMessageIsToldThatInstead) {
    QSignalSpy refreshed(MainWindowLink::Current(), &MainWindowLink::listsChanged);
    QStringList said;
    const bool done =
        RunChange(*context().Store, {.waitText = QStringLiteral("Please wait"),
                                     .change = [] { throw profile::WriteError("tesly0.dat: no space left"); },
                                     .consequence = QStringLiteral("Nothing changed."),
                                     .rowAfter = [](bool) { return 1; },
                                     .reportFailure = [&](const std::exception& error) { said << error.what(); }});
    EXPECT_FALSE(done);
    EXPECT_EQ(said, QStringList{"tesly0.dat: no space left"});
    EXPECT_EQ(modalCount, 0) << "no write error window";
    ASSERT_EQ(refreshed.count(), 1);
    EXPECT_EQ(refreshed.at(0).at(0).toInt(), 1) << "the row the main window selects";
    EXPECT_FALSE(PleaseWaitWindow().isVisible());
}

TEST_F(RunChangeTest, whatIsNoStdExceptionGoesOnWithTheCheckRunningAndTheWaitWindowGone) {
    QSignalSpy refreshed(MainWindowLink::Current(), &MainWindowLink::listsChanged);
    EXPECT_THROW(RunChange(*context().Store, {.waitText = QStringLiteral("Please wait"),
                                              .change = [] { throw 42; },
                                              .consequence = QString(),
                                              .rowAfter = [](bool) { return 0; }}),
                 int);
    EXPECT_TRUE(timer.isActive());
    EXPECT_FALSE(PleaseWaitWindow().isVisible());
    EXPECT_TRUE(main.isEnabled());
    EXPECT_EQ(refreshed.count(), 0) << "the selection stays as it was";
}

}  // namespace
