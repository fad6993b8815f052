#include "app_fixture.h"

namespace {

using StartupLoadTest = AppTest;

TEST_F(StartupLoadTest, aHeaderCountThatIsZeroNegativeOrNoNumberHidesNoCard) {
    for (const char* count : {"0", "-4", "x", ""}) {
        SCOPED_TRACE(count);
        shell::ResetShared();
        QDir(cardsDir()).removeRecursively();
        QDir().mkpath(cardsDir());
        preferences();
        cards({{"Ann", "Lee", "Acme"}, {"Bo", "Ray", ""}, {"", "", "Zeta"}});
        answerMessages(true);
        setHeader(QStringLiteral("NoOfRecords"), QString::fromLatin1(count));
        if (!*count) {  // an empty count is no card file at all: the header is refused, not repaired
            answerMessages(false);
            EXPECT_FALSE(app::Main());
            EXPECT_EQ(header(QStringLiteral("NoOfRecords")), QString());
            continue;
        }
        ASSERT_TRUE(app::Main());
        EXPECT_EQ(asked, QStringList());
        EXPECT_EQ(main().LstNames->count(), 3);
        EXPECT_EQ(header(QStringLiteral("NoOfRecords")), "3");
        EXPECT_EQ(checkFile(), QStringList());
        delete app::TheMainDialog();
    }
}

}  // namespace
