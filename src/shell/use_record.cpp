#include "use_record.h"

#include "cards/card_layout.h"
#include "profile/atomic_file.h"
#include "profile/profile_access.h"

#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace tessaly::shell {

namespace {

QByteArray BootId() {
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
}

// Field 22 of /proc/PID/stat, counted after the command name (which may hold blanks and parentheses).
qint64 StartTicks(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 1).simplified().split(' ');
    return fields.size() > 19 ? fields[19].toLongLong() : 0;
}

}  // namespace

QString UseRecordPath(const QString& dataDir) {
    return dataDir + QStringLiteral("tesly.users");
}

UseEntry ThisRun() {
    const qint64 pid = ::getpid();
    return {pid, BootId(), StartTicks(pid)};
}

bool StillRunning(const UseEntry& entry) {
    const QByteArray boot = BootId();
    // Without boot ids nothing can be told apart: the run counts as going on.
    if (boot.isEmpty() || entry.bootId.isEmpty()) return true;
    if (entry.bootId != boot) return false;
    if (entry.pid <= 0 || (::kill(pid_t(entry.pid), 0) != 0 && errno == ESRCH)) return false;
    const qint64 started = StartTicks(entry.pid);
    return entry.startTicks == 0 || started == 0 || started == entry.startTicks;
}

QList<UseEntry> ReadUseRecord(const QString& dataDir) {
    QList<UseEntry> entries;
    const std::optional<profile::FileContent> content = profile::ReadWholeFile(UseRecordPath(dataDir));
    if (!content) return entries;
    for (const QByteArray& line : content->bytes.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        bool pidOk = false, ticksOk = false;
        const UseEntry e{f.value(0).toLongLong(&pidOk), f.value(1), f.value(2).toLongLong(&ticksOk)};
        if (f.size() == 3 && pidOk && ticksOk && e.pid > 0 && !e.bootId.isEmpty()) entries << e;
    }
    return entries;
}

void WriteUseRecord(const QString& dataDir, const QList<UseEntry>& entries) {
    const QString path = UseRecordPath(dataDir);
    if (entries.isEmpty()) {
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
            throw profile::WriteError(QStringLiteral("Could not remove %1: %2")
                                          .arg(path, QString::fromLocal8Bit(std::strerror(errno)))
                                          .toStdString());
        profile::SyncFolder(dataDir);
        return;
    }
    QByteArray bytes;
    for (const UseEntry& e : entries)
        bytes += QByteArray::number(e.pid) + ' ' + e.bootId + ' ' + QByteArray::number(e.startTicks) + '\n';
    profile::ReplaceFile(path, bytes, profile::Durability::Synced, dataDir + store::kHeaderFileName);
}

}  // namespace tessaly::shell
