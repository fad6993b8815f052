#include "store_fixture.h"

#include "profile/file_faults.h"
#include "store/card_restore.h"
#include "store/import_cards.h"

#include <QDir>

using namespace tessaly::store;
using tessaly::profile::FileStep;

namespace {

using Files = QMap<QString, QByteArray>;

void PutBack(const TempFolder& folder, const Files& files) {
    for (const QString& name : QDir(folder.path()).entryList({"tesly*.dat"}, QDir::Files))
        if (!files.contains(name)) QFile::remove(folder.path(name));
    for (auto it = files.cbegin(); it != files.cend(); ++it) folder.put(it.key(), it.value());
}

Files CardFiles(const TempFolder& folder) {
    Files files;
    for (const QString& name : QDir(folder.path()).entryList({"tesly*.dat"}, QDir::Files)) files.insert(name, folder.bytes(name));
    return files;
}

// Fails the Nth step of replacing a file (1-based) until the scope ends.
class FailingStep {
public:
    explicit FailingStep(int n) {
        tessaly::profile::SetFaultHook([this, n](FileStep, const QString&) { return ++seen_ == n; });
    }
    ~FailingStep() { tessaly::profile::SetFaultHook({}); }
    bool reached() const { return seen_ > 0; }
    int seen_ = 0;
};

constexpr int kEnoughSteps = 400;

}  // namespace

class ExchangeFaultTest : public StoreTest {
protected:
    ExchangeFaultTest() {
        add("A", "Adams");
        store.WriteHeader("TotalNoOfRecords", "120");
        add("B", "Baker");
    }
    TempFolder backup;
};

// A complete backup, then the cards change and a backup fails at step N: the
// previous backup stands whole until a backup completes.
TEST_F(ExchangeFaultTest, aBackupFailingAtAnyStepKeepsThePreviousBackup) {
    ASSERT_TRUE(CopyDataFiles(dir.path(), backup.path()).ok());
    const QByteArray previous = backup.bytes("tesly.old");
    add("C", "Clark");
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        CopyResult r;
        {
            FailingStep fail(n);
            r = CopyDataFiles(dir.path(), backup.path());
        }
        if (r.ok()) {
            EXPECT_EQ(backup.bytes("tesly.old"), dir.bytes("tesly.dat"));
            return;
        }
        EXPECT_FALSE(r.message().isEmpty());
        EXPECT_TRUE(r.putBack);
        EXPECT_TRUE(HasValidBackup(backup.path()));
        EXPECT_EQ(backup.bytes("tesly.old"), previous);
    }
    FAIL() << "the backup never completed";
}

TEST_F(ExchangeFaultTest, aRestoreFailingAtAnyStepLeavesTheCardFilesAsTheyWere) {
    ASSERT_TRUE(CopyDataFiles(dir.path(), backup.path()).ok());
    add("C", "Clark");
    store.WriteHeader("TotalNoOfRecords", "230");
    add("D", "Dunn");  // tesly2.dat, which the backup does not hold
    const Files before = CardFiles(dir);
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        CopyResult r;
        {
            FailingStep fail(n);
            r = RestoreBackup(backup.path(), dir.path());
        }
        if (r.ok()) {
            EXPECT_EQ(dir.bytes("tesly.dat"), backup.bytes("tesly.old"));
            return;
        }
        EXPECT_FALSE(r.message().isEmpty());
        EXPECT_TRUE(r.putBack);
        EXPECT_EQ(CardFiles(dir), before);
    }
    FAIL() << "the restore never completed";
}

TEST_F(ExchangeFaultTest, anImportFailingAtAnyStepLeavesTheCardFilesAsTheyWere) {
    QStringList lines;
    for (int i = 0; i < 150; ++i) lines << QString("N%1,Imported").arg(i);
    ImportPlan plan;
    plan.fieldCount = 2, plan.choices = {1, 2};
    ProgressSink silent;
    for (bool replace : {false, true}) {
        plan.replace = replace;
        const Files before = CardFiles(dir);
        const QStringList names = store.AllNames;
        for (int n = 1; n < kEnoughSteps; ++n) {
            SCOPED_TRACE(testing::Message() << (replace ? "replace " : "append ") << n);
            bool failed = false;
            QString note;
            {
                FailingStep fail(n);
                try {
                    note = ImportCards(store, lines, plan, silent);
                } catch (const ImportFailed& e) {
                    failed = true;
                    EXPECT_TRUE(QString(e.what()).contains("nothing was imported") || QString(e.what()).contains("put back"));
                }
            }
            if (failed) {
                EXPECT_EQ(CardFiles(dir), before);
                EXPECT_EQ(reloadedNames().size(), names.size());
                continue;
            }
            if (note.isEmpty()) break;
            // Imported but left unsorted: every card is there for the next start to sort.
            EXPECT_EQ(reloadedNames().size(), (replace ? 0 : names.size()) + lines.size());
            PutBack(dir, before);
        }
        EXPECT_EQ(store.NoOfRecords, replace ? 150 : names.size() + 150);
        expectConsistent();
    }
}

// The duplicate step's fills are written in the import's change: a failure
// at any step, in a fill or a new card, leaves every card file as it was.
TEST_F(ExchangeFaultTest, anImportWithFillsFailingAtAnyStepLeavesTheCardFilesAsTheyWere) {
    store.RefreshLists();
    const QString adams = store.AllByName[0];
    CardFieldList filled = store.ReadCard(adams);
    filled[Phone1] = "+1 555 0100";
    filled[Company] = "Adams & Co";  // moves the card in the company list
    QList<CardFieldList> cards(3);
    for (qsizetype i = 0; i < cards.size(); ++i) cards[i][FirstName] = QString("N%1").arg(i), cards[i][LastName] = "Imported";
    ProgressSink silent;
    const Files before = CardFiles(dir);
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        bool failed = false;
        QString note;
        {
            FailingStep fail(n);
            try {
                note = ImportCardList(store, cards, false, silent, {CardFill{adams, filled}});
            } catch (const ImportFailed&) {
                failed = true;
            }
        }
        if (!failed && note.isEmpty()) break;
        if (failed) EXPECT_EQ(CardFiles(dir), before);
        PutBack(dir, before);
        store.RefreshLists();  // as the windows do after a failed change
        store.FillList();
    }
    EXPECT_EQ(store.ReadCard(adams), filled);
    EXPECT_EQ(store.NoOfRecords, 5);
    expectConsistent();
}
