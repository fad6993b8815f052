#pragma once
#include <QStringList>
#include <QTextStream>

namespace tessaly::cli {

enum ExitCode { Done = 0, Faults = 1, BadInput = 2, InUse = 3, WriteFailed = 4 };

struct Invocation {
    QString dataDir;  // ends in '/', or empty for the current directory
    bool force = false;
    QString command;
    QStringList args;
};

// Runs one command against the card file; output and messages go to the streams.
int Run(const Invocation& call, QTextStream& out, QTextStream& err);

}  // namespace tessaly::cli
