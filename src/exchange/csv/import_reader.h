#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace tessaly::store {

// An export file that cannot be imported; the message says why, for the user.
class ImportFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bounds on what an import reads: the file is read whole, so its size bounds
// the memory; a line longer than a card could hold is refused.
inline constexpr qint64 kMaxExportBytes = 64 * 1024 * 1024;
inline constexpr qsizetype kMaxRecordChars = 64 * 1024;

// The text of an export. Automatically (encoding empty or "Automatic"): by its
// BOM (UTF-8, UTF-16 LE or BE, which is dropped), else as UTF-16 when the bytes
// are UTF-16 without a BOM, else as UTF-8 when they are valid UTF-8, else as
// Windows-1252. Otherwise in the encoding named (one of ExportEncodings);
// another name throws ImportFileError.
QString DecodeExport(const QByteArray& bytes, const QString& encoding = QString());

// The bytes of an export file, at most kMaxExportBytes. Throws ImportFileError
// for a folder, a file that cannot be read and a too large file.
QByteArray ReadExportBytes(const QString& path);

// Reads and decodes an export file. Throws ImportFileError for a folder, a file
// that cannot be read, an empty or too large file, and one that is not text.
QString ReadExportFile(const QString& path, const QString& encoding = QString());

// The lines of a text: CR LF, LF and CR each end one. Empty lines are left out
// (they would become cards without a name); a line longer than
// kMaxRecordChars throws ImportFileError.
QStringList SplitLines(const QString& text);

// Lines with the number of the line each begins on (1 for the first), and how
// many lines were empty and left out: what an import's summary counts.
struct NumberedLines {
    QStringList lines;
    QList<int> numbers;
    int empty = 0;
};
NumberedLines SplitNumberedLines(const QString& text);

// The records of a comma-separated text as spreadsheets write it: a line break
// inside quotes belongs to the field (and is kept as CR LF, as notes store it).
QStringList SplitQuotedRecords(const QString& text);
NumberedLines SplitNumberedRecords(const QString& text);

}  // namespace tessaly::store
