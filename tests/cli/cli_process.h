#pragma once
// tessaly-cli run as a user runs it, for the tests that drive the real program.
#include "../support/temp_folder.h"

#include <QProcess>
#include <QStringList>

struct CliResult {
    int code;
    QString out, err;
};

// tessaly-cli on the card folder "cards" of 'home', with the configuration and home folder there too.
inline CliResult RunCli(const TempFolder& home, const QStringList& args, int waitMs = 60000) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("XDG_CONFIG_HOME", home.path("config"));
    e.insert("HOME", home.path("home"));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(TESSALY_CLI), QStringList({"--data", home.path("cards")}) + args);
    p.waitForFinished(waitMs);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
