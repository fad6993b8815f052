#include "window_test.h"

#include <QTimer>
#include <stdexcept>

using namespace tessaly::shell;

namespace {

using InUseCheckPauseTest = WindowTest;

// The check runs again after the scope, also when it was left by an error,
// and a check that was already paused (a menu is up) stays paused.
TEST_F(InUseCheckPauseTest, pausesForItsScopeAndLeavesTheCheckAsItFoundIt) {
    QTimer timer;
    timer.setInterval(2000);
    Shared().InUseTimer = &timer;
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

}  // namespace
