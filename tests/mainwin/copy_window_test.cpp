#include "window_fixture.h"

#include <QCheckBox>
#include <QClipboard>

namespace {

// Preferences with prefixes on, separator ": ", and the name and first phone ticked.
const QByteArray kPrefixes =
    "UsePrefix=1\nPrefixSprt=3\nPhone1Prefix=Tel\nPhone2Prefix=Mobile\nFaxPrefix=Fax\n"
    "EMailPrefix=E-Mail\nCopyName=1\nCopyPhone1=1\n";

class CopyWindowTest : public FindCopyTest {
protected:
    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    // Something else on the clipboard, which every copy replaces.
    void SetUp() override {
        FindCopyTest::SetUp();
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    }
    static const inline Card kSmith{{store::Sal, "Mr."},
                                    {store::LastName, "Smith"},
                                    {store::Phone1, "555 0100"},
                                    {store::Fax, "555 0102"},
                                    {store::EMail, "s@example.org"}};
};

TEST_F(CopyWindowTest, theTickedNameAndPhoneGoOnTheClipboardWithThePrefix) {
    start({kSmith}, kPrefixes);
    ASSERT_TRUE(main().ChkCopy[0]->isChecked());
    ASSERT_TRUE(main().ChkCopy[4]->isChecked());
    main().CopySelected();
    EXPECT_EQ(clipboard(), "Mr. Smith\rTel: 555 0100\r");

    QTest::mouseClick(main().ChkCopy[0], Qt::LeftButton);  // the user unticks the name
    main().CopySelected();
    EXPECT_EQ(clipboard(), "Tel: 555 0100\r");
    QTest::mouseClick(main().ChkCopy[4], Qt::LeftButton);
    main().CopySelected();  // nothing ticked: an empty text
    EXPECT_EQ(clipboard(), "");
}

TEST_F(CopyWindowTest, withoutPrefixesOrWithATabSeparatorTheNumberStandsAsShown) {
    start({kSmith}, "UsePrefix=0\nPrefixSprt=3\nPhone1Prefix=Tel\nCopyName=1\nCopyPhone1=1\n");
    main().CopySelected();
    EXPECT_EQ(clipboard(), "Mr. Smith\r555 0100\r");

    context().Prefs.UsePrefix = true;
    context().Prefs.PrefixSprt = 0;
    main().CopySelected();
    EXPECT_EQ(clipboard(), "Mr. Smith\rTel\t555 0100\r");
}

TEST_F(CopyWindowTest, allDetailsIgnoreTheBoxesAndCopyTheNotesLast) {
    start({{{store::Company, "Acme Ltd"}, {store::Notes, "Call before noon\r\nor after six"}}}, kPrefixes);
    main().CopyAll();
    EXPECT_EQ(clipboard(), "Acme Ltd\rCall before noon\r\nor after six\r");
    main().CopyLabel(12);
    EXPECT_EQ(clipboard(), "Call before noon\r\nor after six");
}

TEST_F(CopyWindowTest, allDetailsPrefixPhonesFaxAndEMail) {
    start({kSmith}, kPrefixes);
    main().CopyAll();
    EXPECT_EQ(clipboard(), "Mr. Smith\rTel: 555 0100\rFax: 555 0102\rE-Mail: s@example.org\r");
}

TEST_F(CopyWindowTest, theAddressCopiesSkipOrKeepAnEmptyLineAndJoinLines4And5) {
    start({{{store::LastName, "Smith"},
            {store::Address1, "1 High St"},
            {store::Address3, "Northtown"},
            {store::Address4, "NT1 2AB"},
            {store::Address5, "Kent"}}},
          "CopyAddress=1\n");
    main().CopySelected();
    EXPECT_EQ(clipboard(), "1 High St\rNorthtown\rNT1 2AB, Kent\r");
    main().CopyLabel(4);
    EXPECT_EQ(clipboard(), "1 High St\r\rNorthtown\rNT1 2AB, Kent\r");
    main().CopyLabel(0);
    EXPECT_EQ(clipboard(), "Smith");
}

}  // namespace
