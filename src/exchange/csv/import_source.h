#pragma once
#include "column_names.h"
#include "exchange/import_cards.h"
#include "import_fields.h"
#include "import_reader.h"

#include <QList>
#include <QStringList>

namespace tessaly::store {

// The first line of the file holds no delimiter of the kind chosen.
class WrongDelimiter : public ImportFileError {
public:
    WrongDelimiter() : ImportFileError("The delimiter you specified does not exist.") {}
};

// An export as the wizard and the command line read it: its lines (records,
// for quoted CSV) and the field count the first one gives.
struct ImportSource {
    QStringList lines;
    QList<int> lineNumbers;  // the line of the file each begins on
    int emptyLines = 0;      // left out: they hold nothing
    int fieldCount = 0;

    // Keeps the lines (all, or those with either text), their numbers with them.
    void keepLines(const QString& only0, const QString& only1);
    void dropFirst();
};

// Reads the file in the encoding named (empty: automatically) and checks the
// delimiter against its first line; a file whose lines hold no separator at
// all is one column. Throws ImportFileError (WrongDelimiter when the first
// line has no delimiter and the file is not one column).
ImportSource ReadImportSource(const QString& path, const Delimiter& delimiter, const QString& encoding = QString());

// What the import wizard carries from the file to the import: the plan and
// the kept lines, the first of them the column names when firstIsHeader.
struct ImportSession {
    ImportPlan plan;
    QStringList lines;
    QList<int> lineNumbers;  // of each of the lines, in the file
    int emptyLines = 0;
    bool firstIsHeader = false;
    QString fileName;  // without its folder

    // Reads the file, keeps the lines (all, or those with either text), and
    // notes whether the first line holds the column names of a known export,
    // which the filter never drops. Throws ImportFileError.
    static ImportSession Read(const QString& path, const Delimiter& delimiter, const QString& only0,
                              const QString& only1, const QString& encoding = QString());
    // The lines that become cards.
    QStringList cardLines() const { return firstIsHeader ? lines.mid(1) : lines; }
    QList<int> cardLineNumbers() const { return firstIsHeader ? lineNumbers.mid(1) : lineNumbers; }
    // Keeps at most 'count' card lines.
    void keepCards(int count);
    // The fields of card line i (of the first twenty the wizard shows).
    QStringList fieldsOf(int i) const;
    // The choices the column names suggest, one per field.
    QList<int> headerChoices() const;
};

}  // namespace tessaly::store
