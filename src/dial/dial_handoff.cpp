#include "dial_handoff.h"

#include <QProcess>

namespace tessaly::dial {

namespace {
// xdg-mime answers at once; one that hangs must not hold the dialog.
constexpr int kQueryMs = 5000;
}  // namespace

DialVia DialViaFrom(const QString& stored) {
    const QString via = stored.trimmed();
    if (via.compare(u"Phone", Qt::CaseInsensitive) == 0) return DialVia::PhoneHandler;
    if (via.compare(u"Command", Qt::CaseInsensitive) == 0) return DialVia::Command;
    return DialVia::Modem;
}

QString DialDigits(const QString& number) {
    const QString shown = number.trimmed();
    QString digits = shown.startsWith(u'+') ? QStringLiteral("+") : QString();
    for (const QChar c : shown)
        if (c >= u'0' && c <= u'9') digits += c;
    return digits == u"+" ? QString() : digits;
}

QStringList DialCommandLine(const QString& command, const QString& number) {
    QStringList line = QProcess::splitCommand(command);
    for (QString& arg : line) {
        QString filled;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            const QChar next = i + 1 < arg.size() ? arg[i + 1] : QChar();
            if (arg[i] != u'%' || (next != u'N' && next != u'n' && next != u'%')) {
                filled += arg[i];
                continue;
            }
            filled += next == u'N' ? number.trimmed() : next == u'n' ? DialDigits(number) : QStringLiteral("%");
            ++i;
        }
        arg = filled;
    }
    return line;
}

QString PhoneHandler() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/tel")});
    if (!query.waitForFinished(kQueryMs)) {
        query.kill();
        query.waitForFinished();
        return QString();
    }
    return query.exitCode() == 0 ? QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed() : QString();
}

HandOff CallThroughHandler(const QString& number) {
    const QString handler = PhoneHandler();
    if (handler.isEmpty()) return {false, QStringLiteral("No program is set up to take phone calls (tel: links).")};
    if (handler == kOwnDesktopFile) return {false, kOwnHandlerText};
    const QString digits = DialDigits(number);
    if (digits.isEmpty()) return {false, QStringLiteral("\"%1\" holds no digits to call.").arg(number.trimmed())};
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {QStringLiteral("tel:") + digits}))
        return {false, QStringLiteral("xdg-open could not be started.")};
    return {true, handler};
}

HandOff RunDialCommand(const QString& command, const QString& number) {
    QStringList line = DialCommandLine(command, number);
    if (line.isEmpty()) return {false, QStringLiteral("No dial command is set up.")};
    const QString program = line.takeFirst();
    if (!QProcess::startDetached(program, line))
        return {false, QStringLiteral("%1 could not be started.").arg(program)};
    return {true, program};
}

}  // namespace tessaly::dial
