#include "app_fixture.h"

namespace {

using OpenDataFileTest = AppTest;

TEST_F(OpenDataFileTest, aCardFileAlreadyInTheDataFolderIsOfferedNotWrittenOver) {
    const QString dataDir = home.path(QStringLiteral("data/Tessaly/teslydat/"));
    QDir().mkpath(dataDir);
    struct Case {
        const char* name;
        bool open;
    } cases[] = {{"openIt", true}, {"decline", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetContext();
        QDir(cardsDir()).removeRecursively();  // the folder the preferences name is gone
        preferences();
        {
            profile::CachedProfile p;
            store::CardStore s(p, dataDir);
            store::WriteEmptyHeader(p, s.DataFile());
            store::Card f;
            f[store::LastName] = QStringLiteral("Kept");
            s.AddCard(f);
        }
        const QByteArray before = home.bytes(QStringLiteral("data/Tessaly/teslydat/tesly0.dat"));
        asked.clear();
        int answered = 0;
        shell::SetModalAnswerer([&](QDialog& window) {
            auto& box = static_cast<shell::MessageWindow&>(window);
            asked << box.Text1->text().section(u'\r', 0, 0);
            // "create a new one?" is answered Yes; "open the one that is there?" by the case.
            QTest::mouseClick(answered++ == 0 || c.open ? box.BtnOK : box.BtnCancel, Qt::LeftButton);
        });
        EXPECT_EQ(app::Main(context()), c.open);
        ASSERT_EQ(asked.size(), 2);
        EXPECT_TRUE(asked[1].startsWith("There is a Tessaly data file in")) << asked[1].toStdString();
        EXPECT_EQ(home.bytes(QStringLiteral("data/Tessaly/teslydat/tesly0.dat")), before);
        if (c.open) {
            EXPECT_EQ(main().LstNames->model()->rowCount(), 1);
            EXPECT_EQ(header(QStringLiteral("TotalNoOfRecords")), QString());  // the named folder stays absent
            profile::CachedProfile p;
            EXPECT_EQ(p.read(prefsFile(), QStringLiteral("Data Files"), QStringLiteral("TeslyDataPath")), dataDir);
            EXPECT_EQ(p.read(dataDir + QStringLiteral("tesly.dat"), QStringLiteral("General Info"),
                             QStringLiteral("NoOfRecords")),
                      "1");
            delete app::TheMainDialog();
        }
    }
}

TEST_F(OpenDataFileTest, aFileInTheDataFolderThatIsNotOursIsLeftAloneAndTheProgramEnds) {
    preferences();
    QDir(cardsDir()).removeRecursively();
    QDir().mkpath(home.path(QStringLiteral("data/Tessaly/teslydat")));
    const QByteArray foreign("[General Info]\nApplication=Tessaly\nNoOfRecords=3\n");  // damaged: no TotalNoOfRecords
    home.put(QStringLiteral("data/Tessaly/teslydat/tesly.dat"), foreign);
    answerMessages(true);
    EXPECT_FALSE(app::Main(context()));
    EXPECT_EQ(asked, (QStringList{"Missing data file", "Missing data file"}));
    EXPECT_EQ(home.bytes(QStringLiteral("data/Tessaly/teslydat/tesly.dat")), foreign);
}

TEST_F(OpenDataFileTest, aTildeInTheDataPathNamesTheHomeFolder) {
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    QDir().mkpath(home.path(QStringLiteral("config/Tessaly")));
    home.put(QStringLiteral("config/Tessaly/ostrel.ini"), "[Data Files]\nTeslyDataPath=~/cards\n[TS32]\nTips=0\n");
    cards({{"Ann", "Lee", "Acme"}});
    answerMessages(false);
    ASSERT_TRUE(app::Main(context()));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(context().DataDir, cardsDir());
    EXPECT_EQ(main().LstNames->model()->rowCount(), 1);
    qputenv("HOME", realHome);
}

}  // namespace
