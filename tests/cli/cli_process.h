#pragma once
// tessaly-cli run as a user runs it, for the tests that drive the real program.
#include "../support/temp_folder.h"

#include <QProcess>
#include <QStringList>

struct CliResult {
    int code;
    QString out, err;
};

// tessaly-cli on the card folder 'cards' of 'home', with the configuration, data and home folders there too.
inline CliResult RunCliOn(const TempFolder& home, const QString& cards, const QStringList& args, int waitMs = 60000) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", home.path("config"));
    e.insert("XDG_DATA_HOME", home.path("data"));
    e.insert("HOME", home.path("home"));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(TESSALY_CLI), QStringList({"--data", home.path(cards)}) + args);
    p.waitForFinished(waitMs);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

inline CliResult RunCli(const TempFolder& home, const QStringList& args, int waitMs = 60000) {
    return RunCliOn(home, QStringLiteral("cards"), args, waitMs);
}

// A command the tests expect refused (or answered): its exit code and a text of its message.
struct CliCase {
    const char* what;
    QStringList args;
    int code;
    const char* says;
};
