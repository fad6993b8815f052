#pragma once
#include <QString>

namespace tessaly::shell {

// The checks Setup's OK makes before it saves; each gives an empty text when
// the value may be saved, else the message that says what is wrong.

// A backup folder must be a writable folder, or one that can be made (the
// nearest folder above it that exists is writable), and never the data folder
// or a folder inside it, however it is spelt (links and ".." resolved).
QString BackupFolderProblem(const QString& folder, const QString& dataFolder);

// A modem device must exist and be a character device (a serial port or a pty).
QString ModemDeviceProblem(const QString& device);

}  // namespace tessaly::shell
