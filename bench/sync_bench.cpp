// S1-S4: sync with a radicale on 127.0.0.1 (started here, in a temporary folder).
#include "sync_bench.h"

#include "../tests/sync/dav_servers.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"
#include "sync/carddav_book.h"
#include "sync/dav_session.h"
#include "sync/sync_engine.h"
#include "sync/vcard_patch.h"

#include <sys/resource.h>
#include <QDir>
#include <QElapsedTimer>

using namespace tessaly;
using namespace tessaly::store;
using tessaly::testing::TestDavServer;

namespace {

// This process's CPU time: what the sync itself costs, apart from the server's share.
double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

struct Timed {
    double wallMs = 0, cpuMs = 0;
    sync::SyncReport report;
};

Timed Sync(CardStore& store, TestDavServer& server, const QString& stateFile) {
    sync::DavAccess access;
    access.url = server.addressBookUrl();
    access.user = server.user();
    access.password = server.password();
    sync::DavSession session(access);
    sync::CardDavBook book(session, server.addressBookUrl());
    sync::SyncOptions options;
    options.accountName = QStringLiteral("bench");
    options.addressBook = server.addressBookUrl();
    Timed t;
    QElapsedTimer timer;
    timer.start();
    const double cpu = CpuMs();
    t.report = sync::Synchronise(store, book, stateFile, options);
    t.cpuMs = CpuMs() - cpu;
    t.wallMs = double(timer.nsecsElapsed()) / 1e6;
    if (!t.report.complete) QTextStream(stderr) << "sync stopped: " << t.report.stopped << Qt::endl;
    return t;
}

double Median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

// A card file of the first 'count' cards of 'from' (a card file's folder).
void CopyCards(CardStore& from, int count, CardStore& to) {
    for (int i = 0; i < count && i < from.AllByName.size(); ++i) to.AddCard(from.ReadCard(from.AllByName[i]));
}

}  // namespace

void SyncBenchmarks(const QString& cardFolder, const QString& work, int runs, int upCards, const QString& only,
                    QTextStream& out) {
    if (!QStringLiteral("S").startsWith(only) && !only.startsWith(u'S')) return;
    const auto result = [&](const char* name, const Timed& t) {
        if (QString::fromLatin1(name).startsWith(only))
            out << "RESULT " << name << ' ' << QString::number(t.wallMs, 'f', 1) << " - (this process's CPU "
                << QString::number(t.cpuMs, 'f', 0) << " ms)" << Qt::endl;
    };
    profile::CachedProfile sourceProfile;
    CardStore source(sourceProfile, cardFolder);
    source.RefreshLists();
    const auto server = TestDavServer::start(TestDavServer::Kind::Radicale);
    const auto upServer = TestDavServer::start(TestDavServer::Kind::Radicale);
    if (!server || !upServer) {
        out << "S: radicale could not be started" << Qt::endl;
        return;
    }
    // Radicale's PUT grows with the address book (about 65 µs more per contact already there on this
    // machine), so a whole card file goes up only in S1's smaller number; the large address book
    // that S2-S4 work on is written straight into radicale's folder.
    const QString book = server->radicaleBookFolder();
    for (int i = 0; i < source.AllByName.size(); ++i) {
        QFile f(QStringLiteral("%1/c%2.vcf").arg(book).arg(i));
        if (f.open(QIODevice::WriteOnly))
            f.write(sync::NewServerVCard(source.ReadCard(source.AllByName[i]), QStringLiteral("c%1").arg(i)));
    }

    {
        // Radicale reads contacts written behind its back once, at the first listing (minutes for 8000).
        sync::DavAccess access;
        access.url = server->addressBookUrl();
        access.user = server->user();
        access.password = server->password();
        access.timeoutMs = 30 * 60 * 1000;
        sync::DavSession session(access);
        QElapsedTimer warm;
        warm.start();
        (void)sync::CardDavBook(session, server->addressBookUrl()).changesSince(QString());
        out << "S: radicale's first look at the " << source.AllByName.size() << " contacts took " << warm.elapsed()
            << " ms" << Qt::endl;
    }
    const QString down = work + "sync-down/";
    QDir(down).removeRecursively();
    QDir().mkpath(down);
    profile::CachedProfile downProfile;
    CardStore store(downProfile, down);
    WriteEmptyHeader(downProfile, store.DataFile());
    store.RefreshLists();
    const QString state = work + "sync-state/down.json";
    const Timed first = Sync(store, *server, state);
    result("S4_first_sync_down", first);
    out << "S4: " << first.report.cameNew.size() << " cards came down" << Qt::endl;

    QList<double> nothing, oneEdit;
    Timed last;
    for (int i = 0; i < runs; ++i) nothing << (last = Sync(store, *server, state)).wallMs;
    last.wallMs = Median(nothing);
    result("S2_sync_nothing_to_do", last);
    const QString n = store.AllByName.value(store.AllByName.size() / 2);
    for (int i = 0; i < runs; ++i) {
        Card current = store.ReadCard(n), typed = current;
        typed[Notes] = QStringLiteral("edit %1").arg(i);
        store.ChangeCard(n, current, typed);
        oneEdit << (last = Sync(store, *server, state)).wallMs;
    }
    last.wallMs = Median(oneEdit);
    result("S3_sync_one_edited_card", last);

    const QString up = work + "sync-up/";
    QDir(up).removeRecursively();
    QDir().mkpath(up);
    profile::CachedProfile upProfile;
    CardStore upStore(upProfile, up);
    WriteEmptyHeader(upProfile, upStore.DataFile());
    upStore.RefreshLists();
    CopyCards(source, upCards, upStore);
    const Timed sent = Sync(upStore, *upServer, work + "sync-state/up.json");
    result("S1_first_sync_up", sent);
    out << "S1: " << sent.report.sentNew.size() << " cards went up" << Qt::endl;
}
