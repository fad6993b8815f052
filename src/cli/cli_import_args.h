#pragma once
#include "exchange/csv/import_source.h"

#include <QList>
#include <QString>

namespace tessaly::cli {

// The encoding --encoding names, as the store knows it (empty for automatic).
// Throws CommandFailed for a name it does not offer.
QString EncodingArg(const QString& given);

// The choices --map gives for the file's columns, and whether its first line
// holds the column names (and is not a card).
struct ImportMapping {
    QList<int> choices;
    bool firstIsHeader = false;
};

// --map as given: "auto" (the choices the first line's column names suggest,
// as in the wizard), or one entry per column, each a card field's name
// (FirstName, EMail, ...; "FirstName+LastName" and "LastName+FirstName" for a
// whole name), "-" to leave the column out, or the wizard's number 0-18.
// "auto" fails, naming them, when columns that hold values found no field
// (unless they only repeat placed ones, as a whole name beside its parts).
// Throws CommandFailed.
ImportMapping MapArg(const QString& given, const store::ImportSource& source, const store::Delimiter& delimiter);

// "mapping: First Name=FirstName, Birthday=-, ..." for the output, by column
// name when the first line holds them, else by column number.
QString MappingText(const ImportMapping& mapping, const store::ImportSource& source, const store::Delimiter& delimiter);

}  // namespace tessaly::cli
