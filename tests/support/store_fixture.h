#pragma once
#include "cards/card_check.h"
#include "cards/card_store.h"
#include "../support/recording_profile.h"
#include "../support/qt_print.h"
#include "../support/temp_folder.h"

#include <gtest/gtest.h>

// The main window's list as the store sees it.
class FakeListBox final : public tessaly::store::ListBoxView {
public:
    void clear() override { texts.clear(), data.clear(); }
    void addItem(const QString& t, std::int32_t d) override { texts << t, data << d; }
    void insertItem(int p, const QString& t, std::int32_t d) override { texts.insert(p, t), data.insert(p, d); }
    void removeItem(int p) override { texts.removeAt(p), data.removeAt(p); }
    QStringList texts;
    QList<std::int32_t> data;
};

// A card store on an empty card file in a temporary folder.
class StoreTest : public ::testing::Test {
protected:
    StoreTest() : store(profile, dir.path()) {
        tessaly::store::WriteEmptyHeader(profile, store.DataFile());
        store.SetListBox(&list);
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
    FakeListBox list;
};
