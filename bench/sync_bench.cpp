// S1-S4: sync with a radicale on 127.0.0.1 (started here, in a temporary folder).
#include "sync_bench.h"

#include "../tests/sync/dav_servers.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"
#include "sync/carddav_book.h"
#include "sync/dav_session.h"
#include "sync/sync_engine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace tessaly;
using namespace tessaly::store;
using tessaly::testing::TestDavServer;

namespace {

double SyncMs(CardStore& store, TestDavServer& server, const QString& stateFile, sync::SyncReport* report = nullptr) {
    sync::DavAccess access;
    access.url = server.addressBookUrl();
    access.user = server.user();
    access.password = server.password();
    sync::DavSession session(access);
    sync::CardDavBook book(session, server.addressBookUrl());
    sync::SyncOptions options;
    options.accountName = QStringLiteral("bench");
    options.addressBook = server.addressBookUrl();
    QElapsedTimer timer;
    timer.start();
    sync::SyncReport done = sync::Synchronise(store, book, stateFile, options);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!done.complete) QTextStream(stderr) << "sync stopped: " << done.stopped << Qt::endl;
    if (report) *report = done;
    return ms;
}

double Median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

}  // namespace

void SyncBenchmarks(const QString& cardFolder, const QString& work, int runs, const QString& only, QTextStream& out) {
    if (!QStringLiteral("S").startsWith(only) && !only.startsWith(u'S')) return;
    const auto result = [&](const char* name, double ms) {
        if (QString::fromLatin1(name).startsWith(only))
            out << "RESULT " << name << ' ' << QString::number(ms, 'f', 1) << " -" << Qt::endl;
    };
    const auto server = TestDavServer::start(TestDavServer::Kind::Radicale);
    if (!server) {
        out << "S: radicale could not be started" << Qt::endl;
        return;
    }
    // The full card file goes up to an empty address book.
    const QString up = work + "sync-up/";
    QDir(up).removeRecursively();
    QDir().mkpath(up);
    for (const QString& name : QDir(cardFolder).entryList(QDir::Files)) QFile::copy(cardFolder + name, up + name);
    profile::CachedProfile profile;
    CardStore store(profile, up);
    store.RefreshLists();
    const QString state = work + "sync-state/up.json";
    result("S1_first_sync_up", SyncMs(store, *server, state));

    QList<double> nothing, oneEdit;
    for (int i = 0; i < runs; ++i) nothing << SyncMs(store, *server, state);
    result("S2_sync_nothing_to_do", Median(nothing));
    const QString n = store.AllByName.value(store.AllByName.size() / 2);
    for (int i = 0; i < runs; ++i) {
        Card current = store.ReadCard(n), typed = current;
        typed[Notes] = QStringLiteral("edit %1").arg(i);
        store.ChangeCard(n, current, typed);
        oneEdit << SyncMs(store, *server, state);
    }
    result("S3_sync_one_edited_card", Median(oneEdit));

    // The whole address book comes down into an empty card file.
    const QString down = work + "sync-down/";
    QDir(down).removeRecursively();
    QDir().mkpath(down);
    profile::CachedProfile downProfile;
    CardStore downStore(downProfile, down);
    WriteEmptyHeader(downProfile, downStore.DataFile());
    downStore.RefreshLists();
    result("S4_first_sync_down", SyncMs(downStore, *server, work + "sync-state/down.json"));
    out << "S: " << downStore.NoOfRecords << " cards came down" << Qt::endl;
}
