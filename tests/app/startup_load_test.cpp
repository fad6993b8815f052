#include "app_fixture.h"

#include "shell/file_in_use.h"

namespace {

using StartupLoadTest = AppTest;

TEST_F(StartupLoadTest, aHeaderCountThatIsZeroNegativeOrNoNumberHidesNoCard) {
    for (const char* count : {"0", "-4", "x", ""}) {
        SCOPED_TRACE(count);
        resetContext();
        QDir(cardsDir()).removeRecursively();
        QDir().mkpath(cardsDir());
        preferences();
        cards({{"Ann", "Lee", "Acme"}, {"Bo", "Ray", ""}, {"", "", "Zeta"}});
        answerMessages(true);
        setHeader(QStringLiteral("NoOfRecords"), QString::fromLatin1(count));
        if (!*count) {  // an empty count is no card file at all: the header is refused, not repaired
            answerMessages(false);
            EXPECT_FALSE(app::Main(context()));
            EXPECT_EQ(header(QStringLiteral("NoOfRecords")), QString());
            continue;
        }
        ASSERT_TRUE(app::Main(context()));
        EXPECT_EQ(asked, QStringList());
        EXPECT_EQ(main().LstNames->model()->rowCount(), 3);
        EXPECT_EQ(header(QStringLiteral("NoOfRecords")), "3");
        EXPECT_EQ(checkFile(), QStringList());
        delete app::TheMainDialog();
    }
}

}  // namespace

namespace {

TEST_F(StartupLoadTest, aFileHeldByAnotherProgramIsSortedInMemoryAndWrittenOnlyOnceFree) {
    preferences();
    cards({{"Ann", "Lee", "Acme"}, {"Bo", "Ray", "Zeta"}});
    // The other program linked the names the wrong way round and has the file open.
    setHeader(QStringLiteral("NameFirstRecord"), QStringLiteral("1"));
    {
        profile::CachedProfile p;
        auto link = [&](const char* rec, const char* key, const char* value) {
            p.write(cardsDir() + "tesly0.dat", QStringLiteral("Record") + rec, QString::fromLatin1(key),
                    QString::fromLatin1(value));
        };
        link("1", "PrevName", "");
        link("1", "NextName", "0");
        link("0", "PrevName", "1");
        link("0", "NextName", "");
    }
    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("1"));
    const QByteArray held = home.bytes(QStringLiteral("cards/tesly0.dat"));
    answerMessages(
        true, [](QDialog& window) { QTest::mouseClick(static_cast<shell::FileInUse&>(window).BtnOK, Qt::LeftButton); });
    ASSERT_TRUE(app::Main(context()));
    EXPECT_EQ(main().LstNames->model()->index(0, 0).data().toString(), "Lee, Ann");  // in order on screen
    EXPECT_EQ(home.bytes(QStringLiteral("cards/tesly0.dat")), held);
    EXPECT_EQ(header(QStringLiteral("NameFirstRecord")), "1");

    setHeader(QStringLiteral("NoOfUses"), QStringLiteral("1"));  // the other program ends
    main().Menus().InUseTimer_Timer();
    EXPECT_EQ(header(QStringLiteral("NameFirstRecord")), "0");
    EXPECT_EQ(checkFile(), QStringList());
}

TEST_F(StartupLoadTest, aCardFileThatIsAwayKeepsEditingOffUntilItIsBack) {
    preferences();
    QList<std::array<QString, 3>> list;
    for (int i = 0; i < 150; ++i) list.append({QStringLiteral("P"), QString::number(1000 + i), QString()});
    cards(list);
    ASSERT_TRUE(QDir().rename(cardsDir() + "tesly1.dat", cardsDir() + "kept"));
    answerMessages(true);
    ASSERT_TRUE(app::Main(context()));
    EXPECT_EQ(asked, QStringList{"Data file incomplete"});
    EXPECT_GT(main().LstNames->model()->rowCount(), 0);
    EXPECT_FALSE(main().BtnNew->isEnabled());
    EXPECT_THROW(cardStore().AddCard({"", "Al", "Zed"}), profile::ReadError);

    ASSERT_TRUE(QDir().rename(cardsDir() + "kept", cardsDir() + "tesly1.dat"));
    main().Menus().InUseTimer_Timer();
    EXPECT_EQ(main().LstNames->model()->rowCount(), 150);
    EXPECT_TRUE(main().BtnNew->isEnabled());
    EXPECT_EQ(checkFile(), QStringList());
}

}  // namespace
