// libFuzzer target: any bytes as a card file set. The input is split at form
// feeds into the header and up to four card files; loading and the start-up
// repair must not crash or hang, and when every card file could be read the
// repaired file must pass the check and need no second repair.
#include "cards/card_check.h"
#include "cards/card_store.h"
#include "profile/cached_profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

using namespace tessaly;

namespace {

// Memory-backed when it can be: every repair writes and syncs files.
QTemporaryDir& Folder() {
    static QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/tessaly-fuzz-XXXXXX") : QString());
    return dir;
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString dir = Folder().path() + u'/';
    for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) QFile::remove(dir + f);
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)).split('\f');
    Put(dir + QStringLiteral("tesly.dat"), parts[0]);
    for (qsizetype i = 1; i < parts.size() && i <= 4; ++i)
        Put(dir + QStringLiteral("tesly%1.dat").arg(i - 1), parts[i]);

    profile::CachedProfile profile;
    store::CardStore cards(profile, dir);
    cards.LoadLists();
    cards.SortLists();
    if (!cards.MissingFiles().isEmpty()) return 0;
    const QStringList faults = store::CheckCardFile(cards);
    if (!faults.isEmpty()) {
        std::fprintf(stderr, "after repair: %s\n", qPrintable(faults.join(u'\n')));
        std::abort();
    }
    profile::CachedProfile fresh;
    store::CardStore next(fresh, dir);
    next.LoadLists();
    next.SortLists();
    if (!next.Repairs().isEmpty()) {
        std::fprintf(stderr, "second repair: %s %s\n", qPrintable(next.Repairs()[0].card),
                     qPrintable(next.Repairs()[0].key));
        std::abort();
    }
    return 0;
}
