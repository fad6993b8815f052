#include "../app/app_fixture.h"

#include "dialogs/import_duplicates_dialog.h"
#include "dialogs/import_file_page.h"
#include "dialogs/import_records_page.h"
#include "dialogs/vcard_exchange.h"
#include "mainwin/tesly_mnu.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

using dialogs::ImportDuplicatesDialog;

namespace {

// The program started on three cards, with a folder of vCards of the test's own.
class VCardExchangeTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        preferences();
        store::Card al, bob, cy;
        al[store::FirstName] = "Al", al[store::LastName] = "Adams", al[store::Phone1] = "030 1234567";
        bob[store::FirstName] = "Bob", bob[store::LastName] = "Baker";
        cy[store::Company] = "Cyan Ltd";
        cardFile({al, bob, cy});
        ASSERT_TRUE(app::Main(context()));
        QDir().mkpath(home.path("vcards"));
    }
    // The file window gets 'file' (and the name filter, when given), then the
    // duplicate step is answered by 'duplicates' and every message with its first button.
    void answer(const QString& file, std::function<void(ImportDuplicatesDialog&)> duplicates = {},
                const QString& filter = {}) {
        answerMessages(true, [=, this](QDialog& window) {
            if (auto* chooser = qobject_cast<QFileDialog*>(&window)) {
                if (!filter.isEmpty()) chooser->selectNameFilter(filter);
                chooser->selectFile(home.path("vcards/" + file));
                auto* buttons = chooser->findChild<QDialogButtonBox*>();
                QTest::mouseClick(
                    buttons->button(chooser->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                                     : QDialogButtonBox::Open),
                    Qt::LeftButton);
            } else if (auto* step = qobject_cast<ImportDuplicatesDialog*>(&window)) {
                asked << step->windowTitle();
                if (duplicates)
                    duplicates(*step);
                else
                    QTest::mouseClick(step->BtnCancel, Qt::LeftButton);
            } else {
                ADD_FAILURE() << "unexpected " << window.windowTitle().toStdString();
            }
        });
    }
    QStringList shownNames() {
        QStringList names;
        for (int i = 0; i < main().LstNames->model()->rowCount(); ++i)
            names << main().LstNames->model()->index(i, 0).data().toString();
        return names;
    }
};

}  // namespace

TEST_F(VCardExchangeTest, theEntriesFollowTheCardFilesUse) {
    mainwin::TeslyMnu& m = main().Menus();
    EXPECT_TRUE(m.MnuImportVCard->isEnabled());
    context().InUse = true;
    main().SetEditState();
    EXPECT_FALSE(m.MnuImportVCard->isEnabled()) << "importing changes cards";
    EXPECT_TRUE(m.MnuExportVCard->isEnabled()) << "exporting only reads them";
}

TEST_F(VCardExchangeTest, exportWritesTheFilteredCardsWhileTheFilterIsOn) {
    struct Case {
        const char* what;
        bool filtered;
        QString filter;
        QList<QByteArray> present, absent;
    } cases[] = {
        {"all cards, 3.0",
         false,
         "vCard 3.0 (*.vcf *.vcard)",
         {"VERSION:3.0", "N:Adams;Al", "N:Baker;Bob", "ORG:Cyan Ltd"},
         {}},
        {"the filtered ones, 4.0",
         true,
         "vCard 4.0 (*.vcf *.vcard)",
         {"VERSION:4.0", "N:Baker;Bob"},
         {"Adams", "Cyan"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store::CardStore& s = *context().Store;
        if (c.filtered) s.SetFilter({s.AllByName[s.AllNames.indexOf("Baker, Bob")]});
        const QString file =
            QString(c.what).replace(' ', '_') + ".vcf";  // a new file: Qt's file window asks before replacing one
        answer(file, {}, c.filter);
        main().Menus().MnuExportVCard->trigger();
        const QByteArray written = home.bytes("vcards/" + file);
        for (const QByteArray& text : c.present) EXPECT_TRUE(written.contains(text)) << text.toStdString();
        for (const QByteArray& text : c.absent) EXPECT_FALSE(written.contains(text)) << text.toStdString();
        EXPECT_EQ(asked.back(), "Export vCard");
    }
}

TEST_F(VCardExchangeTest, importAsksAboutDuplicatesAndDoesWhatIsChosen) {
    home.put("vcards/in.vcf",
             "BEGIN:VCARD\nVERSION:3.0\nN:Adams;Albert\nTEL:+49 30 1234567\nEMAIL:al@adams.example\nEND:VCARD\n"
             "BEGIN:VCARD\nVERSION:3.0\nN:Dunn;Dora\nNICKNAME:Do\nEND:VCARD\n");
    struct Case {
        const char* what;
        QPushButton* ImportDuplicatesDialog::*choice;
        QStringList names;
        QString alsMail;
    } cases[] = {
        {"cancel writes nothing", &ImportDuplicatesDialog::BtnCancel, {"( Cyan Ltd )", "Adams, Al", "Baker, Bob"}, ""},
        {"skip", &ImportDuplicatesDialog::BtnSkipAll, {"( Cyan Ltd )", "Adams, Al", "Baker, Bob", "Dunn, Dora"}, ""},
        {"fill",
         &ImportDuplicatesDialog::BtnFillAll,
         {"( Cyan Ltd )", "Adams, Al", "Baker, Bob", "Dunn, Dora"},
         "al@adams.example"},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!std::exchange(first, false)) {  // the program again on a fresh card file
            TearDown();
            QDir(cardsDir()).removeRecursively();
            SetUp();
        }
        asked.clear();
        answer("in.vcf", [&](ImportDuplicatesDialog& step) {
            ASSERT_EQ(step.TblMatches->rowCount(), 1);
            EXPECT_EQ(step.TblMatches->item(0, 2)->text(), "phone +49 30 1234567");
            EXPECT_EQ(step.TblMatches->item(0, 3)->text(), "Skip") << "a strong match never doubles a card by itself";
            QTest::mouseClick(step.*c.choice, Qt::LeftButton);
            if (c.choice != &ImportDuplicatesDialog::BtnCancel) QTest::mouseClick(step.BtnOK, Qt::LeftButton);
        });
        main().Menus().MnuImportVCard->trigger();
        EXPECT_EQ(shownNames(), c.names);
        store::CardStore& s = *context().Store;
        EXPECT_EQ(context().Store->ReadCard(s.AllByName[s.AllNames.indexOf("Adams, Al")])[store::EMail], c.alsMail);
        EXPECT_EQ(QFile::exists(cardsDir() + "safety-copy/tesly.old"), c.choice != &ImportDuplicatesDialog::BtnCancel);
        EXPECT_EQ(checkFile(), QStringList());
        if (c.choice != &ImportDuplicatesDialog::BtnCancel) {
            EXPECT_EQ(asked, QStringList({"Possible Duplicates", "Import vCard"}));
        }
    }
}

TEST_F(VCardExchangeTest, theWizardsImportHasTheDuplicateStepToo) {
    home.put("vcards/people.csv", "Bob,Baker\nEve,Evans\n");
    answer("", [](ImportDuplicatesDialog& step) {
        EXPECT_EQ(step.TblMatches->item(0, 2)->text(), "same content") << "Bob Baker is on the card file as he stands";
        QTest::mouseClick(step.BtnSkipAll, Qt::LeftButton);
        QTest::mouseClick(step.BtnOK, Qt::LeftButton);
    });
    dialogs::OpenImportWizard(context(), false);
    dialogs::FileToImportDialog& first = *dialogs::FileToImportDialog::Current();
    first.SetFolder(home.path("vcards"));
    first.TxtFileToImport->setText("people.csv");
    QTest::mouseClick(first.BtnOK, Qt::LeftButton);
    dialogs::RecordsToImportDialog& page = *dialogs::RecordsToImportDialog::Current();
    page.CboFieldName[0]->setCurrentIndex(1);
    page.CboFieldName[1]->setCurrentIndex(2);
    QTest::mouseClick(page.BtnOK, Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(shownNames(), QStringList({"( Cyan Ltd )", "Adams, Al", "Baker, Bob", "Evans, Eve"}));
    EXPECT_EQ(checkFile(), QStringList());
}
