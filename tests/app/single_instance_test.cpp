#include "app/single_instance.h"

#include "../support/temp_folder.h"

#include <gtest/gtest.h>
#include <QLocalSocket>
#include <QTest>
#include <QWidget>

using tessaly::app::SingleInstance;

namespace {

// The running copy's server and a second start, in one process: the start
// hands its link over the same socket a second process would use.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SingleInstance::SetNumberHandler([this](const QString& number) { dialed << number; });
        main.show();
        running.Listen(&main);
    }
    void TearDown() override { SingleInstance::TakeLink(); }
    QString prefs() const { return folder.path(QStringLiteral("ostrel.ini")); }

    TempFolder folder;
    QWidget main;
    SingleInstance running{prefs()};
    QStringList dialed;
};

TEST_F(SingleInstanceTest, aSecondStartHandsItsLinkToTheRunningCopy) {
    SingleInstance::SetLink(QStringLiteral("tel:+49-30-123;ext=5"));
    SingleInstance second(prefs());
    ASSERT_TRUE(second.ActivateRunningCopy());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialed.isEmpty(); }, 5000));
    EXPECT_EQ(dialed, QStringList{"+49-30-123"});
    EXPECT_EQ(SingleInstance::TakeLink(), "");  // handed over, not kept for this start
}

// Whatever connects to the socket, only a sound number reaches Dial.
TEST_F(SingleInstanceTest, theRunningCopyChecksTheLinkAgain) {
    struct Case {
        const char* name;
        QByteArray request;
        QStringList dialed;
    } cases[] = {
        {"letters", "dial tel:1-800-FLOWERS\n", {}},
        {"a command", "dial tel:030$(id)\n", {}},
        {"no scheme", "dial 0301234\n", {}},
        {"over-long line", "dial tel:" + QByteArray(4000, '1') + "\n", {}},
        {"two requests in one", "activate\ndial tel:0301234\n", {"0301234"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialed.clear();
        QLocalSocket socket;
        socket.connectToServer(running.Name());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(c.request);
        socket.waitForBytesWritten(2000);
        QTest::qWait(100);
        EXPECT_EQ(dialed, c.dialed);
    }
}

// Start-up still runs (its window not shown yet): the link waits for its end.
TEST_F(SingleInstanceTest, aLinkThatComesDuringStartUpWaitsForIt) {
    main.hide();
    SingleInstance::SetLink(QStringLiteral("tel:0301234"));
    SingleInstance second(prefs());
    ASSERT_TRUE(second.ActivateRunningCopy());
    EXPECT_TRUE(QTest::qWaitFor([&] { return SingleInstance::TakeLink() == u"tel:0301234"; }, 5000));
    EXPECT_TRUE(dialed.isEmpty());
}

}  // namespace
