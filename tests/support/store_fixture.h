#pragma once
#include "../support/qt_print.h"
#include "../support/recording_profile.h"
#include "../support/temp_folder.h"
#include "cards/card_check.h"
#include "cards/card_store.h"

#include <gtest/gtest.h>

// The main window's list as the store tells it: each row is read back from the store when it is told of.
class FakeListBox final : public tessaly::store::ShownListObserver {
public:
    explicit FakeListBox(const tessaly::store::CardStore& store) : store_(store) {}
    void shownListReset() override {
        texts.clear(), data.clear();
        for (int row = 0; row < store_.ShownCount(); ++row) shownRowInserted(row);
    }
    void shownRowInserted(int row) override {
        texts.insert(row, store_.ShownText(row));
        data.insert(row, tessaly::store::RecordData(store_.ShownRecNo(row)));
    }
    void shownRowRemoved(int row) override { texts.removeAt(row), data.removeAt(row); }
    QStringList texts;
    QList<std::int32_t> data;

private:
    const tessaly::store::CardStore& store_;
};

// A card store on an empty card file in a temporary folder.
class StoreTest : public ::testing::Test {
protected:
    StoreTest() : store(profile, dir.path()) {
        tessaly::store::WriteEmptyHeader(profile, store.DataFile());
        store.SetShownListObserver(&list);
        profile.writes.clear();
    }

    QString add(const QString& first, const QString& last, const QString& company = QString()) {
        tessaly::store::Card f;
        f[tessaly::store::FirstName] = first;
        f[tessaly::store::LastName] = last;
        f[tessaly::store::Company] = company;
        return store.AddCard(f);
    }
    QString header(const QString& key) { return store.ReadHeader(key); }
    QString card(const QString& rec, const QString& key) { return store.ReadCardKey(rec, key); }
    // A second store that loads the file afresh, as the next start does.
    QStringList reloadedNames() {
        tessaly::profile::CachedProfile fresh;
        tessaly::store::CardStore other(fresh, dir.path());
        other.LoadLists();
        return other.AllByName;
    }
    void expectConsistent() { EXPECT_EQ(tessaly::store::CheckCardFile(store), QStringList()); }

    TempFolder dir;
    RecordingProfile profile;
    tessaly::store::CardStore store;
    FakeListBox list{store};
};
