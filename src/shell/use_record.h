#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace tessaly::shell {

// One run of this program counted in the card file's use count: which process,
// on which boot of the machine, started when. The sibling program keeps no
// record, so a count without one may be its and is never taken back.
struct UseEntry {
    qint64 pid = 0;
    QByteArray bootId;
    qint64 startTicks = 0;  // the process's start after boot, 0 when unknown
    bool operator==(const UseEntry&) const = default;
};

// The record beside the change lock; its name matches neither "*.dat" nor
// "tesly*.old", so loading, backups and restores pass it by.
QString UseRecordPath(const QString& dataDir);

// This process.
UseEntry ThisRun();
// False only when the run has certainly ended: recorded on another boot, or its
// process is gone (or the number now belongs to a process started later).
bool StillRunning(const UseEntry& entry);

// The entries recorded; lines that do not read as an entry are left out.
// Throws profile::ReadError when the record exists but cannot be read.
QList<UseEntry> ReadUseRecord(const QString& dataDir);
// Replaces the record atomically and durably (the card file's mode); no
// entries remove it. Throws profile::WriteError.
void WriteUseRecord(const QString& dataDir, const QList<UseEntry>& entries);

}  // namespace tessaly::shell
