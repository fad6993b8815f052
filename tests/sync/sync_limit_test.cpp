// A server holding more contacts than the card file can take, against an address book in memory (a
// real server takes minutes to receive the 8000 cards a full card file sends up first).
#include "../support/store_fixture.h"
#include "exchange/import_cards.h"
#include "sync/sync_engine.h"
#include "sync/vcard_patch.h"

using namespace tessaly::store;
using namespace tessaly::sync;

namespace {

class BookInMemory final : public RemoteBook {
public:
    RemoteChanges changesSince(const QString&) override {
        RemoteChanges all{true, {}, {}, {}};
        for (auto it = contacts.cbegin(); it != contacts.cend(); ++it) all.changed << RemoteVersion{it.key(), it->etag};
        return all;
    }
    QList<RemoteContact> fetch(const QStringList& hrefs) override {
        QList<RemoteContact> found;
        for (const QString& href : hrefs)
            if (contacts.contains(href)) found << contacts[href];
        return found;
    }
    WriteOutcome put(const QString& href, const QByteArray& vcard, const QString& ifMatch) override {
        if (ifMatch.isEmpty() ? contacts.contains(href) : contacts.value(href).etag != ifMatch) return {};
        const QString etag = QString::number(++version_);
        contacts.insert(href, {href, etag, vcard});
        return {true, etag};
    }
    WriteOutcome remove(const QString& href, const QString&) override {
        contacts.remove(href);
        return {true, {}};
    }
    QString hrefFor(const QString& uid) const override { return QStringLiteral("/book/") + uid + ".vcf"; }
    QMap<QString, RemoteContact> contacts;

private:
    int version_ = 0;
};

TEST_F(StoreTest, contactsBeyondTheCardFilesRoomWaitOnTheServerUntilThereIsRoom) {
    QList<Card> many;
    for (int i = 0; i < kMaxCards - 2; ++i)
        many << Card{"", QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i)};
    ProgressSink silent;
    (void)ImportCardList(store, many, ImportOptions{}, silent);
    store.LoadLists();
    BookInMemory book;
    for (int i = 0; i < 5; ++i)
        book.put(book.hrefFor(QStringLiteral("p%1").arg(i)),
                 NewServerVCard(Card{"", QStringLiteral("Phone%1").arg(i), "Contact"}, QStringLiteral("p%1").arg(i)),
                 {});
    const QString state = dir.path("sync/state.json");
    SyncOptions options;
    const SyncReport first = Synchronise(store, book, state, options);
    EXPECT_EQ(first.cameNew.size(), 2);
    EXPECT_EQ(first.leftOut, 3);
    EXPECT_TRUE(first.summary().contains("3 of the server's contacts did not fit")) << first.summary().toStdString();
    EXPECT_EQ(book.contacts.size(), kMaxCards + 3) << "nothing deleted on the server for it";

    for (const QString& n : {store.AllByName[0], store.AllByName[1], store.AllByName[2]}) store.DeleteCard(n);
    const SyncReport second = Synchronise(store, book, state, options);
    EXPECT_EQ(second.cameNew.size(), 3);
    EXPECT_EQ(second.leftOut, 0);
    EXPECT_EQ(store.NoOfRecords, kMaxCards);
    expectConsistent();
}

}  // namespace
