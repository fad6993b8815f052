#include "card_file_guard.h"

#include "preferences.h"
#include "use_record.h"

#include "cards/card_layout.h"
#include "cards/card_lock.h"
#include "cards/card_store.h"
#include "profile/profile_access.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>

namespace tessaly::shell {

using store::header::NoOfUses;
using store::header::Section;

namespace {

std::int16_t UseCount(profile::ProfileAccess& profile, const QString& dataFile) {
    return store::Count16(profile.read(dataFile, Section, NoOfUses));
}

void WriteUseCount(profile::ProfileAccess& profile, const QString& dataFile, int n) {
    profile::ProfileOperation op(profile);
    profile.write(dataFile, Section, NoOfUses,
                  QString::number(std::clamp<int>(n, std::numeric_limits<std::int16_t>::min(),
                                                  std::numeric_limits<std::int16_t>::max())));
    op.finish();
}

QString DataDirOf(const QString& dataFile) {
    return QFileInfo(dataFile).absolutePath() + u'/';
}

// The count and the record change under the card file's change lock, so that
// neither a change of tessaly-cli nor another run of the program comes between
// reading and writing them. Every failure is a WriteError for the callers.
void UnderChangeLock(const QString& dataFile, const std::function<void(const QString& dataDir)>& step) {
    const QString dataDir = DataDirOf(dataFile);
    try {
        const store::CardFileLock lock(dataDir, std::chrono::seconds(5));
        step(dataDir);
    } catch (const store::CardFileBusy& busy) {
        throw profile::WriteError(busy.what());
    } catch (const profile::ReadError& unreadable) {
        throw profile::WriteError(unreadable.what());
    }
}

}  // namespace

void RegisterUse(profile::ProfileAccess& profile, const QString& dataFile) {
    UnderChangeLock(dataFile, [&](const QString& dataDir) {
        WriteUseCount(profile, dataFile, std::max<int>(0, UseCount(profile, dataFile)) + 1);
        // Recorded after counting: a crash in between leaves the count one too
        // high (the in-use warning covers that), never one taken back twice.
        QList<UseEntry> entries = ReadUseRecord(dataDir);
        entries.removeAll(ThisRun());
        WriteUseRecord(dataDir, entries << ThisRun());
    });
}

bool CheckInUse(profile::ProfileAccess& profile, const QString& dataFile) {
    profile::ProfileOperation op(profile);
    return UseCount(profile, dataFile) >= 2;
}

void CountOff(profile::ProfileAccess& profile, const QString& dataFile) {
    // A card file moved or removed while the program ran is not made anew just to hold the count.
    if (!QFileInfo::exists(dataFile)) return;
    UnderChangeLock(dataFile, [&](const QString& dataDir) {
        // The record goes first, for the same reason as in RegisterUse.
        QList<UseEntry> entries = ReadUseRecord(dataDir);
        if (entries.removeAll(ThisRun()) > 0) WriteUseRecord(dataDir, entries);
        WriteUseCount(profile, dataFile, UseCount(profile, dataFile) - 1);
    });
}

int TakeBackEndedUses(profile::ProfileAccess& profile, const QString& dataFile) {
    if (!QFileInfo::exists(dataFile)) return 0;
    // Most starts find nothing to take back and take no lock for it, so a
    // card file on a read-only medium says nothing more than before.
    try {
        const QList<UseEntry> seen = ReadUseRecord(DataDirOf(dataFile));
        if (std::all_of(seen.begin(), seen.end(), StillRunning)) return 0;
    } catch (const profile::ReadError& unreadable) {
        throw profile::WriteError(unreadable.what());
    }
    int taken = 0;
    UnderChangeLock(dataFile, [&](const QString& dataDir) {
        const QList<UseEntry> entries = ReadUseRecord(dataDir);
        QList<UseEntry> running;
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(running), StillRunning);
        taken = int(entries.size() - running.size());
        if (taken == 0) return;
        // The record first: a crash before the count is lowered leaves it too high, never lowered twice.
        WriteUseRecord(dataDir, running);
        // A count already at 0 or below was put right by hand or by "Previous crash recover".
        const int n = UseCount(profile, dataFile);
        if (n > 0) WriteUseCount(profile, dataFile, std::max(n - taken, 0));
    });
    return taken;
}

void RecoverFromCrash(profile::ProfileAccess& profile, const QString& dataFile) {
    profile.write(dataFile, Section, NoOfUses, QStringLiteral("1"));
}

void NameDataFolder(profile::ProfileAccess& profile, const QString& preferencesFile, const QString& dataDir) {
    if (!QDir().mkpath(QFileInfo(preferencesFile).absolutePath()))
        throw profile::WriteError(
            QStringLiteral("Could not create the folder of %1").arg(preferencesFile).toStdString());
    profile.write(preferencesFile, prefs::DataFilesSection, prefs::TeslyDataPath, dataDir);
}

void CreateNewDataFile(profile::ProfileAccess& profile, const QString& preferencesFile, const QString& newDataDir) {
    if (!QDir().mkpath(newDataDir))
        throw profile::WriteError(QStringLiteral("Could not create the folder %1").arg(newDataDir).toStdString());
    NameDataFolder(profile, preferencesFile, newDataDir);
    store::WriteEmptyHeader(profile, newDataDir + store::kHeaderFileName);
}

}  // namespace tessaly::shell
