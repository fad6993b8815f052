#include "../app/app_fixture.h"
#include "../support/window_checks.h"

#include "dialogs/import_file_page.h"
#include "dialogs/import_records_page.h"
#include "mainwin/tesly_mnu.h"
#include "profile/file_faults.h"
#include "shell/progress_windows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <deque>
#include <memory>

using dialogs::FileToImportDialog;
using dialogs::RecordsToImportDialog;

namespace {

// The program started on two cards, with exports in a folder of the test's own.
class ImportWizardTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        preferences();
        cards({{"Bob", "Baker", ""}, {"Al", "Adams", ""}});
        ASSERT_TRUE(app::Main(context()));
        QDir().mkpath(home.path("exports"));
    }
    void TearDown() override {
        delete RecordsToImportDialog::Current();
        delete FileToImportDialog::Current();
        AppTest::TearDown();
    }
    // The first page on the exports folder, with a file typed in and a delimiter chosen.
    FileToImportDialog& firstPage(const QString& file, int delimiter, bool replace = false) {
        dialogs::OpenImportWizard(context(), replace);
        FileToImportDialog& page = *FileToImportDialog::Current();
        page.SetFolder(home.path("exports"));
        page.TxtFileToImport->setText(file);
        page.OptRcrdDelimiter[delimiter]->setChecked(true);
        return page;
    }
    void exportFile(const QString& name, const QByteArray& bytes) { home.put("exports/" + name, bytes); }
    // Message windows answered in turn with their first (true) or second button, titles noted.
    void answers(std::initializer_list<bool> buttons) {
        auto queue = std::make_shared<std::deque<bool>>(buttons);
        shell::SetModalAnswerer([this, queue](QDialog& window) {
            auto* box = qobject_cast<shell::MessageWindow*>(&window);
            ASSERT_TRUE(box);
            asked << box->windowTitle();
            told << box->Text1->text();
            ASSERT_FALSE(queue->empty()) << "unexpected " << box->windowTitle().toStdString();
            const bool first = queue->front();
            queue->pop_front();
            QTest::mouseClick(first ? box->BtnOK : box->BtnCancel, Qt::LeftButton);
        });
    }
    QStringList shownNames() {
        QStringList names;
        for (int i = 0; i < main().LstNames->model()->rowCount(); ++i)
            names << main().LstNames->model()->index(i, 0).data().toString();
        return names;
    }
    QStringList told;  // the texts of the message windows answered
    QStringList labels(RecordsToImportDialog& page, int n) {
        QStringList texts;
        for (int i = 0; i < n; ++i) texts << page.LblFieldData[i]->text();
        return texts;
    }
};

TEST_F(ImportWizardTest, theMenusOpenTheWizardAndFollowTheCardFilesUse) {
    mainwin::TeslyMnu& m = main().Menus();
    for (QAction* a : {m.MnuImportArray[0], m.MnuImportArray[1], m.MnuBackUpArray[0], m.MnuBackUpArray[1]})
        EXPECT_TRUE(a->isEnabled()) << qPrintable(a->text());
    context().InUse = true;
    main().SetEditState();
    EXPECT_FALSE(m.MnuExchangeArray[1]->isEnabled()) << "Import";
    EXPECT_FALSE(m.MnuBackUpArray[1]->isEnabled()) << "Restore from BackUp";
    EXPECT_TRUE(m.MnuBackUpArray[0]->isEnabled()) << "Create BackUp";
    context().InUse = false;
    main().SetEditState();
    m.MnuImportArray[1]->trigger();
    ASSERT_NE(FileToImportDialog::Current(), nullptr);
    EXPECT_TRUE(FileToImportDialog::Current()->Append_Replace);
    EXPECT_FALSE(main().isEnabled());
    EXPECT_EQ(main().StatBar->text(0), "File to Import");
}

TEST_F(ImportWizardTest, aSpreadsheetExportWithColumnNamesImportsWithTheChoicesItSuggests) {
    exportFile("people.csv",
               "\xEF\xBB\xBF"
               "First Name,Last Name,Notes,Primary Email\r\n"
               "Carl,Clark,\"two\nlines\",carl@x\r\nDora,Dunn,,dora@x\r\n");
    FileToImportDialog& first = firstPage("people.csv", 4);
    answers({true, true});  // Import notice: Continue; the summary: OK
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    RecordsToImportDialog* page = RecordsToImportDialog::Current();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(first.isHidden());
    EXPECT_TRUE(page->ChkHeader->isChecked());
    EXPECT_EQ(labels(*page, 4), QStringList({"Carl", "Clark", "two\r\nlines", "carl@x"}));
    QList<int> chosen;
    for (int i = 0; i < 4; ++i) chosen << page->CboFieldName[i]->currentIndex();
    EXPECT_EQ(chosen, QList<int>({1, 2, 17, 16}));
    EXPECT_EQ(page->CboFieldName[4]->currentText(), "Not Available");
    EXPECT_FALSE(page->CboFieldName[4]->isEnabled());
    EXPECT_FALSE(page->BtnPrev->isEnabled());
    QTest::mouseClick(page->BtnNext, Qt::LeftButton);
    EXPECT_EQ(labels(*page, 2), QStringList({"Dora", "Dunn"}));
    EXPECT_FALSE(page->BtnNext->isEnabled());
    EXPECT_TRUE(page->BtnPrev->isEnabled());
    QTest::mouseClick(page->BtnOK, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(asked, QStringList({"Import notice", "Import"}));
    EXPECT_TRUE(told.back().startsWith("2 cards were imported.")) << qPrintable(told.back());
    EXPECT_EQ(shownNames(), QStringList({"Adams, Al", "Baker, Bob", "Clark, Carl", "Dunn, Dora"}));
    EXPECT_EQ(RecordsToImportDialog::Current(), nullptr);
    EXPECT_EQ(FileToImportDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
    EXPECT_TRUE(QFile::exists(cardsDir() + "safety-copy/tesly.old")) << "safety copy";
    EXPECT_EQ(checkFile(), QStringList());
}

// Today's exports carry their e-mail and company past the twentieth column.
TEST_F(ImportWizardTest, columnsPastTheTwentiethAreShownTwentyAtATimeAndTheirChoicesKept) {
    QStringList header = {"First Name", "Last Name"}, values = {"Carl", "Clark"};
    for (int c = 3; c <= 22; ++c) header << QString("Extra %1").arg(c), values << QString("x%1").arg(c);
    header << "E-mail Address"
           << "Company"
           << "Memo";
    values << "carl@x"
           << "Clarkson Ltd"
           << "met in May";
    exportFile("wide.csv", (header.join(',') + "\r\n" + values.join(',') + "\r\n").toUtf8());
    FileToImportDialog& first = firstPage("wide.csv", 4);
    answers({true, true});  // Import notice: Continue; the summary: OK
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    RecordsToImportDialog* page = RecordsToImportDialog::Current();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->LblColumns->text(), "Columns 1 to 20 of 25");
    EXPECT_FALSE(page->BtnPrevColumns->isEnabled());
    page->CboFieldName[2]->setCurrentIndex(5);  // "Extra 3" as the title
    QTest::mouseClick(page->BtnNextColumns, Qt::LeftButton);
    EXPECT_EQ(page->LblColumns->text(), "Columns 21 to 25 of 25");
    EXPECT_EQ(labels(*page, 5), QStringList({"x21", "x22", "carl@x", "Clarkson Ltd", "met in May"}));
    EXPECT_EQ(page->CboFieldName[2]->currentIndex(), 16);
    EXPECT_EQ(page->CboFieldName[3]->currentIndex(), 6);
    EXPECT_FALSE(page->CboFieldName[5]->isEnabled());
    page->CboFieldName[4]->setCurrentIndex(17);  // "Memo" as the notes
    QTest::mouseClick(page->BtnPrevColumns, Qt::LeftButton);
    EXPECT_EQ(page->CboFieldName[2]->currentIndex(), 5);
    QTest::mouseClick(page->BtnOK, Qt::LeftButton);
    flushDeletes();
    ASSERT_EQ(shownNames(), QStringList({"Adams, Al", "Baker, Bob", "Clark, Carl"}));
    const QString rec = context().Store->AllByName.at(2);
    const store::Card card = context().Store->ReadCard(rec);
    EXPECT_EQ(card[store::Title], "x3");
    EXPECT_EQ(card[store::EMail], "carl@x");
    EXPECT_EQ(card[store::Company], "Clarkson Ltd");
    EXPECT_EQ(card[store::Notes], "met in May");
    EXPECT_EQ(checkFile(), QStringList());
}

TEST_F(ImportWizardTest, theFirstPageChecksBeforeReadingAndStaysOpen) {
    exportFile("plain.txt", "no comma; here\n");  // another separator: the comma was the wrong choice
    exportFile("photo.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    struct Case {
        const char* what;
        QString file;
        int delimiter;
        QStringList titles;
    } cases[] = {
        {"Other without its text", "plain.txt", 3, {"Missing Delimiter"}},
        {"no delimiter in the first line", "plain.txt", 0, {"Wrong Delimiter"}},
        {"not a text file", "photo.png", 0, {"Import"}},
        {"a name in another case is a pattern", "PLAIN.TXT", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        answers({true});
        FileToImportDialog& page = firstPage(c.file, c.delimiter);
        QTest::mouseClick(page.BtnOK, Qt::LeftButton);
        EXPECT_EQ(asked, c.titles);
        EXPECT_EQ(RecordsToImportDialog::Current(), nullptr);
        EXPECT_TRUE(page.isVisible());
    }
    FileToImportDialog& page = *FileToImportDialog::Current();
    page.TxtFileToImport->setText("*.*");
    QTest::mouseClick(page.BtnOK, Qt::LeftButton);
    asked.clear();
    answers({true});
    page.TxtOtherDelimiter->clear();
    page.OptRcrdDelimiter[3]->setChecked(true);
    QListWidgetItem* listed = page.SlctFile->findItems("plain.txt", Qt::MatchExactly).value(0);
    ASSERT_NE(listed, nullptr);
    emit page.SlctFile->itemDoubleClicked(listed);
    EXPECT_EQ(asked, QStringList({"Missing Delimiter"})) << "a double-click presses OK";
    page.OptRcrdDelimiter[0]->setChecked(true);
    page.TxtFileToImport->setText("*.png");
    QTest::mouseClick(page.BtnOK, Qt::LeftButton);
    EXPECT_EQ(page.SlctFile->count(), 1);
    EXPECT_EQ(page.SlctFile->item(0)->text(), "photo.png");
    EXPECT_EQ(header("NoOfRecords"), "2");
}

TEST_F(ImportWizardTest, backShowsTheFirstPageAgainAndCancelEndsTheWizardWithoutChanges) {
    exportFile("tabs.txt", "Eve\tEvans\nFay\tFox\n");
    FileToImportDialog& first = firstPage("tabs.txt", 2);
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    ASSERT_NE(RecordsToImportDialog::Current(), nullptr);
    EXPECT_FALSE(RecordsToImportDialog::Current()->ChkHeader->isChecked());
    QTest::mouseClick(RecordsToImportDialog::Current()->BtnBack, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(RecordsToImportDialog::Current(), nullptr);
    EXPECT_TRUE(first.isVisible());
    EXPECT_TRUE(first.OptRcrdDelimiter[2]->isChecked());
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    QTest::keyClick(RecordsToImportDialog::Current(), Qt::Key_Escape);
    flushDeletes();
    EXPECT_EQ(RecordsToImportDialog::Current(), nullptr);
    EXPECT_EQ(FileToImportDialog::Current(), nullptr) << "Esc ends the whole wizard";
    firstPage("tabs.txt", 2);
    QTest::mouseClick(FileToImportDialog::Current()->BtnOK, Qt::LeftButton);
    QTest::mouseClick(RecordsToImportDialog::Current()->BtnCancel, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(FileToImportDialog::Current(), nullptr);
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(shownNames(), QStringList({"Adams, Al", "Baker, Bob"}));
    EXPECT_FALSE(QFile::exists(cardsDir() + "safety-copy/tesly.old"));
}

TEST_F(ImportWizardTest, theLimitQuestionComesWhenTheFileWouldReachEightThousandCards) {
    QByteArray lines;
    for (int i = 0; i < 7998; ++i) lines += "N" + QByteArray::number(i) + ",Imported\n";
    exportFile("append.csv",
               lines + "\nA,One\n");  // one line more than the two cards leave room for, after an empty one
    exportFile("replace.csv", lines + "A,One\nB,Two\n");
    struct Case {
        const char* what;
        QString file;
        bool replace, yes;
        int sampleLast;  // -1: the second page does not open
        const char* figures;
    } cases[] = {
        {"append, No", "append.csv", false, false, -1,
         "7999 lines to import; the card file has 7998 places free. 1 card will be left out, from line 8000 on (fewer"},
        {"replace, No", "replace.csv", true, false, -1,
         "8000 lines to import; the card file has 8000 places free. Should"},
        {"replace, Yes", "replace.csv", true, true, 19, "8000 lines to import"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        asked.clear();
        answers({c.yes});
        FileToImportDialog& page = firstPage(c.file, 0, c.replace);
        QTest::mouseClick(page.BtnOK, Qt::LeftButton);
        EXPECT_EQ(asked, QStringList({"Too many records"}));
        EXPECT_TRUE(told.back().simplified().contains(c.figures)) << qPrintable(told.back());
        if (c.sampleLast < 0) {
            EXPECT_EQ(RecordsToImportDialog::Current(), nullptr);
            EXPECT_TRUE(page.isVisible());
        } else {
            ASSERT_NE(RecordsToImportDialog::Current(), nullptr);
            EXPECT_EQ(RecordsToImportDialog::Current()->LastSample(), c.sampleLast);
        }
    }
    // Below the limit: no question.
    asked.clear();
    exportFile("few.csv", lines.left(lines.indexOf('\n') + 1));
    QTest::mouseClick(firstPage("few.csv", 0).BtnOK, Qt::LeftButton);
    EXPECT_EQ(asked, QStringList());
}

// The disk refuses a write half-way through the cards: the user is told, and the card file is as before.
TEST_F(ImportWizardTest, anImportThatFailsHalfWayIsReportedAndLeavesTheCardFileAsItWas) {
    QByteArray lines;
    for (int i = 0; i < 300; ++i) lines += "N" + QByteArray::number(i) + ",Imported\n";
    exportFile("many.csv", lines);
    const QByteArray header = home.bytes("cards/tesly.dat"), cards0 = home.bytes("cards/tesly0.dat");
    FileToImportDialog& first = firstPage("many.csv", 0);
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    ASSERT_NE(RecordsToImportDialog::Current(), nullptr);
    answers({true, true});  // Import notice: Continue; Write Error: OK
    int steps = 0;
    profile::SetFaultHook(
        [&](profile::FileStep, const QString& file) { return file.endsWith("tesly2.dat") && ++steps == 2; });
    QTest::mouseClick(RecordsToImportDialog::Current()->BtnOK, Qt::LeftButton);
    profile::SetFaultHook({});
    flushDeletes();
    EXPECT_EQ(asked, QStringList({"Import notice", "Write Error"}));
    EXPECT_EQ(home.bytes("cards/tesly.dat"), header);
    EXPECT_EQ(home.bytes("cards/tesly0.dat"), cards0);
    EXPECT_FALSE(QFile::exists(home.path("cards/tesly2.dat")));
    EXPECT_EQ(shownNames(), QStringList({"Adams, Al", "Baker, Bob"}));
    EXPECT_TRUE(main().isEnabled());
    EXPECT_EQ(checkFile(), QStringList());
}

}  // namespace

// A Japanese mail program's export in Shift_JIS: Automatic reads it as Windows-1252, garbled, and the
// preview shows so; choosing Shift_JIS shows the names, and the import reads the file that way.
TEST_F(ImportWizardTest, theEncodingChosenIsPreviewedAndReadsTheFile) {
    // "名,姓,電子メール アドレス" and "太郎,山田,taro@example.jp" in Shift_JIS.
    const QByteArray bytes = QByteArray::fromHex(
        "96bc2c90a92c93648e718381815b838b2083418368838c83580d0a"
        "91be98592c8e5293632c7461726f406578616d706c652e6a700d0a");
    exportFile("sjis.csv", bytes);
    FileToImportDialog& first = firstPage("sjis.csv", 4);
    EXPECT_EQ(first.CboEncoding->currentText(), "Automatic");
    EXPECT_FALSE(first.TxtPreview->toPlainText().contains("山田"));
    first.CboEncoding->setCurrentText("Shift_JIS");
    EXPECT_EQ(first.TxtPreview->toPlainText(), "名,姓,電子メール アドレス\n太郎,山田,taro@example.jp");
    answers({true});  // Import notice: Continue
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    RecordsToImportDialog* page = RecordsToImportDialog::Current();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->ChkHeader->isChecked());
    EXPECT_EQ(labels(*page, 3), QStringList({"太郎", "山田", "taro@example.jp"}));
    EXPECT_EQ(page->CboFieldName[2]->currentIndex(), 16);
}

// Run also at QT_SCALE_FACTOR=2 and QT_FONT_DPI=144 (tests/dialogs/CMakeLists.txt).
TEST_F(ImportWizardTest, everyControlHasItsOwnKeyTabReadsInOrderAndTheTextsFit) {
    const QString folder = home.path("exports/a folder with a rather long name/and another one inside it/and a third");
    QDir().mkpath(folder);
    exportFile("gmail.csv", "Name,Given Name\nPrefix Firstname Middle Lastname Suffix,Firstname\n");
    FileToImportDialog& first = firstPage("gmail.csv", 0);
    {
        SCOPED_TRACE("file to import");
        EXPECT_EQ(window_checks::AcceleratorFindings(&first) + window_checks::TabOrderFindings(&first), QStringList());
        first.SetFolder(folder);
        EXPECT_LE(first.LblFolder->fontMetrics().horizontalAdvance(first.LblFolder->text()), first.LblFolder->width());
        EXPECT_TRUE(first.LblFolder->text().endsWith("and a third")) << "the end of the path shows";
        EXPECT_EQ(first.LblFolder->toolTip(), QDir(folder).absolutePath());
        first.SetFolder(home.path("exports"));
        first.TxtFileToImport->setText("gmail.csv");
    }
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    RecordsToImportDialog* page = RecordsToImportDialog::Current();
    ASSERT_NE(page, nullptr);
    SCOPED_TRACE("records to import");
    QStringList values;  // beside the choices, not captions of them
    for (QLabel* label : page->LblFieldData) values << label->objectName();
    EXPECT_EQ(window_checks::AcceleratorFindings(page, true, values) + window_checks::TabOrderFindings(page),
              QStringList());
    QLabel& value = *page->LblFieldData[0];
    EXPECT_EQ(value.text(), "Prefix Firstname Middle Lastname Suffix");
    EXPECT_LE(value.fontMetrics().horizontalAdvance(value.text()), value.width());
    EXPECT_LE(page->CboFieldName[0]->geometry().right(), page->CboFieldName[0]->parentWidget()->width());
}
