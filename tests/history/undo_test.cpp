#include "../support/store_fixture.h"
#include "cards/card_layout.h"
#include "cards/staged_card_files.h"
#include "history/change_journal.h"
#include "history/undo_redo.h"
#include "profile/cached_profile.h"

#include <sys/stat.h>
#include <QFileInfo>

using namespace tessaly;
using namespace tessaly::store;
using history::ChangeJournal;

namespace {

// A store on a card file of three cards whose changes go to a history in the same temporary folder.
class UndoTest : public StoreTest {
public:
    void TestBody() override {}
    using StoreTest::add;
    using StoreTest::expectConsistent;
    using StoreTest::reloadedNames;
    using StoreTest::store;
    UndoTest() : journal(dir.path(), dir.path("history/cards.journal")) {
        adams = add("Ann", "Adams");
        baker = add("Bob", "Baker");
        cole = add("Carl", "Cole");
        journal.Open(std::chrono::seconds(1));
        store.SetRecorder(&journal);
    }
    QString undo() { return history::Undo(journal, store); }
    QString redo() { return history::Redo(journal, store); }
    QMap<QString, QByteArray> cardFiles() {
        QMap<QString, QByteArray> files;
        for (const QString& name : dir.files())
            if (IsCardFileName(name)) files.insert(name, dir.bytes(name));
        return files;
    }
    // Names as the next start reads them, and the deleted list.
    QStringList deletedRecs() { return store.LoadDeletedList().DeletedRecs; }

    ChangeJournal journal;
    QString adams, baker, cole;
};

TEST(UndoKindsTest, eachKindOfChangeIsTakenBackAndAppliedAgain) {
    struct Row {
        const char* name;
        std::function<void(UndoTest&)> change;
        QString description;
        QStringList deletedAfterUndo;
    };
    const Row rows[] = {
        {"add", [](UndoTest& t) { t.add("Dora", "Dunn"); }, "Add Dunn, Dora", {"3"}},
        {"edit that moves the card",
         [](UndoTest& t) {
             Card current = t.store.ReadCard(t.adams);
             Card typed = current;
             typed[LastName] = "Zorn";
             typed[Phone1] = "555 0100";
             t.store.ChangeCard(t.adams, current, typed);
         },
         "Edit Zorn, Ann",
         {}},
        {"delete", [](UndoTest& t) { t.store.DeleteCard(t.baker); }, "Delete Baker, Bob", {}},
        {"restore",
         [](UndoTest& t) {
             t.store.DeleteCard(t.cole);
             t.store.RestoreCard(t.cole);
         },
         "Restore Cole, Carl",
         {"2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UndoTest t;
        const QStringList start = t.store.AllNames;
        row.change(t);
        const QStringList after = t.store.AllNames;
        ASSERT_NE(t.journal.NextUndo(), nullptr);
        EXPECT_EQ(t.undo(), row.description);
        EXPECT_EQ(t.reloadedNames(), t.store.AllByName);
        EXPECT_EQ(t.deletedRecs(), row.deletedAfterUndo);
        t.expectConsistent();
        EXPECT_EQ(t.redo(), row.description);
        EXPECT_EQ(t.store.AllNames, after);
        t.expectConsistent();
        // A new change ends what could be redone.
        t.undo();
        t.add("Eve", "Evans");
        EXPECT_EQ(t.journal.NextRedo(), nullptr);
    }
}

// Another program (a raw write standing in for the sibling) changed the card: nothing is written, and
// the message names the card and who changed it. A change elsewhere in the file does not stand in the way.
TEST_F(UndoTest, anUndoNeverWritesOverAChangeItDidNotMake) {
    Card current = store.ReadCard(baker);
    Card typed = current;
    typed[Phone1] = "555 0199";
    store.ChangeCard(baker, current, typed);
    {
        profile::CachedProfile other;
        CardStore sibling(other, dir.path());
        sibling.LoadLists();
        Card f;
        f[LastName] = "Quinn";
        sibling.AddCard(f);  // a later add elsewhere in the same file
    }
    profile::CachedProfile raw;
    raw.write(store.RecordFile(baker), RecordSection(baker), "Phone1", "555 0777");
    const QMap<QString, QByteArray> files = cardFiles();
    try {
        undo();
        FAIL() << "the undo went through";
    } catch (const history::ChangedSince& e) {
        EXPECT_TRUE(QString(e.what()).contains("Baker, Bob"));
        EXPECT_TRUE(QString(e.what()).contains("another program"));
    }
    EXPECT_TRUE(cardFiles() == files);
    raw.write(store.RecordFile(baker), RecordSection(baker), "Phone1", "555 0199");
    undo();
    EXPECT_EQ(store.ReadCard(baker)[Phone1], "");
    EXPECT_EQ(store.AllNames.size(), 4);  // Quinn stays
    expectConsistent();
}

TEST_F(UndoTest, nothingToUndoOrRedoIsSaidAndRefusedWhileTheFileIsInUse) {
    EXPECT_THROW(undo(), history::NothingToUndo);
    add("Dora", "Dunn");
    EXPECT_THROW(redo(), history::NothingToUndo);
    store.SetInUse(true);
    EXPECT_THROW(undo(), InUseError);
    store.SetInUse(false);
    EXPECT_NO_THROW(undo());
}

// The history outlives the process, keeps its bounds, and is private to the user.
TEST_F(UndoTest, theHistoryIsKeptAcrossRunsWithinItsBoundsAndPrivate) {
    for (int i = 0; i < ChangeJournal::kMaxEntries + 5; ++i) {
        Card current = store.ReadCard(cole);
        Card typed = current;
        typed[Notes] = QString::number(i);
        store.ChangeCard(cole, current, typed);
    }
    ChangeJournal again(dir.path(), journal.File());
    again.Open(std::chrono::seconds(1));
    ASSERT_EQ(again.Entries().size(), ChangeJournal::kMaxEntries);
    EXPECT_EQ(again.Entries().last().cards.value(0).after.fields[Notes], "104");
    struct stat file {
    }, folder{};
    ASSERT_EQ(::stat(QFile::encodeName(journal.File()).constData(), &file), 0);
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(journal.File()).path()).constData(), &folder), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    store.SetRecorder(&again);
    EXPECT_NO_THROW(history::Undo(again, store));
    EXPECT_EQ(store.ReadCard(cole)[Notes], "103");
}

// A run killed in the middle of a change left its first writes: the next opening puts the card back.
TEST_F(UndoTest, aChangeAStoppedRunLeftHalfDoneIsPutBackAtTheNextOpening) {
    const QMap<QString, QByteArray> before = cardFiles();
    journal.aboutToWrite(store.RecordFile(adams), dir.bytes("tesly0.dat"), false);
    profile::CachedProfile raw;
    raw.write(store.RecordFile(adams), RecordSection(adams), "FirstName", "Half");  // the change's first write
    ChangeJournal next(dir.path(), journal.File());
    next.Open(std::chrono::seconds(1));
    EXPECT_TRUE(cardFiles() == before);
    EXPECT_EQ(next.Entries().size(), 0);
}

TEST_F(UndoTest, aDamagedHistoryIsSetAsideAndANewOneBegins) {
    add("Dora", "Dunn");
    add("Eve", "Evans");
    QByteArray bytes = dir.bytes("history/cards.journal");
    struct Row {
        const char* name;
        QByteArray bytes;
        bool setAside;
        int entries;
    };
    QByteArray flipped = bytes;
    flipped[20] = char(flipped[20] ^ 0x55);
    const Row rows[] = {
        {"torn last record", bytes.left(bytes.size() - 3), false, 1},
        {"a byte changed in the first record", flipped, true, 0},
        {"not a history", QByteArray("[General Info]\nApplication=Tessaly\n"), true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dir.put("history/cards.journal", row.bytes);
        ChangeJournal opened(dir.path(), journal.File());
        opened.Open(std::chrono::seconds(1));
        EXPECT_EQ(opened.Entries().size(), row.entries);
        const QString notice = opened.TakeNotice();
        EXPECT_EQ(!notice.isEmpty(), row.setAside) << notice.toStdString();
        const QStringList aside = QDir(dir.path("history")).entryList({"cards.journal.damaged-*"});
        EXPECT_EQ(aside.size(), row.setAside ? 1 : 0);
        for (const QString& name : aside) QFile::remove(dir.path("history/" + name));
    }
}

}  // namespace
