#include "../support/backup_failure.h"
#include "../support/store_fixture.h"

#include "backup/card_restore.h"
#include "cards/staged_card_files.h"
#include "exchange/import_cards.h"
#include "profile/file_faults.h"

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
    for (const QString& name : QDir(folder.path()).entryList({"tesly*.dat"}, QDir::Files))
        files.insert(name, folder.bytes(name));
    return files;
}

// Fails the Nth step of replacing or moving a file (1-based), or every step
// from the Nth on (a disk that stays full), until the scope ends.
class FailingStep {
public:
    explicit FailingStep(int n, bool lasting = false) {
        tessaly::profile::SetFaultHook(
            [this, n, lasting](FileStep, const QString&) { return lasting ? ++seen_ >= n : ++seen_ == n; });
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
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), backup.path()));
    const QByteArray previous = backup.bytes("tesly.old");
    add("C", "Clark");
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        std::optional<BackupFailed> r;
        {
            FailingStep fail(n);
            r = FailureOf([&] { CopyDataFiles(dir.path(), backup.path()); });
        }
        if (!r) {
            EXPECT_EQ(backup.bytes("tesly.old"), dir.bytes("tesly.dat"));
            return;
        }
        EXPECT_FALSE(r->message().isEmpty());
        EXPECT_TRUE(r->putBack);
        EXPECT_TRUE(HasValidBackup(backup.path()));
        EXPECT_EQ(backup.bytes("tesly.old"), previous);
    }
    FAIL() << "the backup never completed";
}

// A failure at any step, once or lasting, leaves the card files as they were
// and says so; a switch that could not be put back either is finished when the
// card file is next opened. Either way it is wholly before or wholly the backup.
TEST_F(ExchangeFaultTest, aRestoreFailingAtAnyStepIsWhollyBeforeOrWhollyTheBackup) {
    ASSERT_NO_THROW(CopyDataFiles(dir.path(), backup.path()));
    add("C", "Clark");
    store.WriteHeader("TotalNoOfRecords", "230");
    add("D", "Dunn");  // tesly2.dat, which the backup does not hold
    const Files before = CardFiles(dir);
    for (const bool lasting : {false, true}) {
        for (int n = 1; n < kEnoughSteps; ++n) {
            SCOPED_TRACE(testing::Message() << (lasting ? "lasting " : "once ") << n);
            std::optional<BackupFailed> r;
            {
                FailingStep fail(n, lasting);
                r = FailureOf([&] { RestoreBackup(backup.path(), dir.path()); });
            }
            if (r && r->putBack) {
                EXPECT_TRUE(CardFiles(dir) == before);
                EXPECT_FALSE(HasUnsettledChange(dir.path()));
                continue;
            }
            // Not put back, or the safety copy not yet in place: the next opening finishes it.
            SettleBeforeUse(dir.path(), std::chrono::seconds(1));
            EXPECT_FALSE(HasUnsettledChange(dir.path()));
            EXPECT_EQ(CardFiles(dir).keys(), QStringList({"tesly.dat", "tesly0.dat", "tesly1.dat"}));
            EXPECT_EQ(dir.bytes("tesly0.dat"), backup.bytes("tesly0.old"));
            EXPECT_EQ(dir.bytes("safety-copy/tesly2.old"), before["tesly2.dat"]);
            PutBack(dir, before);
            if (!r) break;
        }
    }
}

TEST_F(ExchangeFaultTest, anImportFailingAtAnyStepLeavesTheCardFilesAsTheyWere) {
    QStringList lines;
    for (int i = 0; i < 150; ++i) lines << QString("N%1,Imported").arg(i);
    ImportPlan plan;
    plan.fieldCount = 2, plan.choices = {1, 2};
    ProgressSink silent;
    for (const bool lasting : {false, true}) {
        for (bool replace : {false, true}) {
            plan.replace = replace;
            const Files before = CardFiles(dir);
            const QStringList names = store.AllNames;
            for (int n = 1; n < kEnoughSteps; ++n) {
                SCOPED_TRACE(testing::Message()
                             << (lasting ? "lasting " : "once ") << (replace ? "replace " : "append ") << n);
                bool failed = false, unfinished = false;
                {
                    FailingStep fail(n, lasting);
                    try {
                        (void)ImportCards(store, lines, plan, silent);
                    } catch (const ImportFailed& e) {
                        failed = true;
                        EXPECT_TRUE(QString(e.what()).contains("as it was"));
                    } catch (const SwitchUnfinished&) {
                        unfinished = true;
                    }
                }
                if (failed) {
                    EXPECT_TRUE(CardFiles(dir) == before);
                    EXPECT_EQ(reloadedNames().size(), names.size());
                    continue;
                }
                if (unfinished) {
                    EXPECT_TRUE(SettleBeforeUse(dir.path(), std::chrono::seconds(1)));
                }
                SettleBeforeUse(dir.path(), std::chrono::seconds(1));
                EXPECT_EQ(reloadedNames().size(), (replace ? 0 : names.size()) + lines.size());
                PutBack(dir, before);
                store.RefreshLists();
                if (!unfinished) break;
            }
        }
    }
    expectConsistent();
}

// The duplicate step's fills are written in the import's change: a failure
// at any step, in a fill or a new card, leaves every card file as it was.
TEST_F(ExchangeFaultTest, anImportWithFillsFailingAtAnyStepLeavesTheCardFilesAsTheyWere) {
    store.RefreshLists();
    const QString adams = store.AllByName[0];
    Card filled = store.ReadCard(adams);
    filled[Phone1] = "+1 555 0100";
    filled[Company] = "Adams & Co";  // moves the card in the company list
    QList<Card> cards(3);
    for (qsizetype i = 0; i < cards.size(); ++i)
        cards[i][FirstName] = QString("N%1").arg(i), cards[i][LastName] = "Imported";
    ProgressSink silent;
    const Files before = CardFiles(dir);
    Card incoming = filled;
    incoming[FirstName] = "A", incoming[LastName] = "Adams";
    cards.prepend(incoming);
    const ImportOptions fill = ImportOptions::AllMatches(DuplicateAction::Fill);
    for (int n = 1; n < kEnoughSteps; ++n) {
        SCOPED_TRACE(n);
        bool failed = false;
        {
            FailingStep fail(n);
            try {
                (void)ImportCardList(store, cards, fill, silent);
            } catch (const ImportFailed&) {
                failed = true;
            }
        }
        if (!failed) break;
        EXPECT_TRUE(CardFiles(dir) == before);
    }
    EXPECT_EQ(store.ReadCard(adams), filled);
    EXPECT_EQ(store.NoOfRecords, 5);
    expectConsistent();
}
