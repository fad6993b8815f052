#pragma once
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
    int fieldCount = 0;
};

// Reads the file and checks the delimiter against its first line. Throws
// ImportFileError (WrongDelimiter when the first line has no delimiter).
ImportSource ReadImportSource(const QString& path, const Delimiter& delimiter);

// Whether a line's fields are the column names of a known export: two or more
// of them name a card field.
bool IsHeaderLine(const QStringList& fields);

// The choice each column's name suggests ("NONE OF THE ABOVE" for the names
// it does not know); each choice is suggested for one column only.
QList<int> ChoicesFromHeader(const QStringList& fields);

}  // namespace tessaly::store
