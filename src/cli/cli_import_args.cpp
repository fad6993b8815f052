#include "cli_import_args.h"

#include "cli_commands.h"
#include "cli_exchange.h"
#include "exchange/csv/export_encoding.h"

namespace tessaly::cli {

namespace {

using namespace tessaly::store;

// The names of the wizard's choices 0 to 17, by card field.
const QStringList& FieldNames() {
    static const QStringList names = {"Sal",
                                      "FirstName",
                                      "LastName",
                                      "FirstName+LastName",
                                      "LastName+FirstName",
                                      "Title",
                                      "Company",
                                      "Address1",
                                      "Address2",
                                      "Address3",
                                      "Address4",
                                      "Address5",
                                      "Address6",
                                      "Phone1",
                                      "Phone2",
                                      "Fax",
                                      "EMail",
                                      "Notes"};
    return names;
}

// The choice a --map entry names; -1 for none.
int ChoiceForName(const QString& name) {
    const QString given = name.trimmed();
    if (given == u"-") return kNoneOfTheAbove;
    bool number = false;
    const int c = given.toInt(&number);
    if (number) return c >= 0 && c <= kNoneOfTheAbove ? c : -1;
    for (qsizetype i = 0; i < FieldNames().size(); ++i)
        if (given.compare(FieldNames()[i], Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

QString FieldName(int choice) {
    return FieldNames().value(choice, QStringLiteral("-"));
}

QStringList ColumnNames(const ImportSource& source, const Delimiter& delimiter) {
    return SplitFields(source.lines.value(0), delimiter, source.fieldCount);
}

// The columns "auto" left without a field that hold a value on some line and
// do not merely repeat placed ones.
QStringList UnplacedColumns(const QList<int>& choices, const ImportSource& source, const Delimiter& delimiter) {
    QList<bool> filled(choices.size(), false);
    for (qsizetype l = 1; l < source.lines.size(); ++l) {
        const QStringList fields = SplitFields(source.lines[l], delimiter, source.fieldCount);
        for (qsizetype f = 0; f < fields.size() && f < choices.size(); ++f)
            if (choices[f] == kNoneOfTheAbove && !fields[f].trimmed().isEmpty()) filled[f] = true;
    }
    const QStringList names = ColumnNames(source, delimiter);
    QStringList unplaced;
    for (qsizetype f = 0; f < filled.size(); ++f)
        if (filled[f] && !RepeatsPlacedColumns(names.value(f), choices))
            unplaced << QStringLiteral("\"%1\" (column %2)").arg(names.value(f)).arg(f + 1);
    return unplaced;
}

ImportMapping AutoMapping(const ImportSource& source, const Delimiter& delimiter) {
    const QStringList names = ColumnNames(source, delimiter);
    if (!IsHeaderLine(names))
        throw CommandFailed(BadInput,
                            QStringLiteral("--map auto: the first line holds no column names of a known export; "
                                           "give --map by field names"));
    ImportMapping mapping{ChoicesFromHeader(names), true};
    const QStringList unplaced = UnplacedColumns(mapping.choices, source, delimiter);
    if (!unplaced.isEmpty())
        throw CommandFailed(BadInput,
                            QStringLiteral("--map auto found no card field for %1; give --map by field names, "
                                           "with - for a column to leave out")
                                .arg(unplaced.join(QStringLiteral(", "))));
    return mapping;
}

}  // namespace

QString EncodingArg(const QString& given) {
    if (given.isEmpty()) return QString();
    const QString name = OfferedEncoding(given);
    if (name.isEmpty())
        throw CommandFailed(
            BadInput,
            QStringLiteral("--encoding takes %1, not \"%2\"").arg(ExportEncodings().join(QStringLiteral(", ")), given));
    return name == kAutomaticEncoding ? QString() : name;
}

ImportMapping MapArg(const QString& given, const ImportSource& source, const Delimiter& delimiter) {
    if (given.trimmed().compare(QStringLiteral("auto"), Qt::CaseInsensitive) == 0)
        return AutoMapping(source, delimiter);
    ImportMapping mapping;
    for (const QString& part : given.split(u',')) {
        const int c = ChoiceForName(part);
        if (c < 0)
            throw CommandFailed(
                BadInput, QStringLiteral("--map takes auto, or per column a field name (FirstName, EMail, ...), - "
                                         "or one of the wizard's choices 0 to %1, not \"%2\"")
                              .arg(kNoneOfTheAbove)
                              .arg(part));
        mapping.choices << c;
    }
    if (mapping.choices.size() > source.fieldCount)
        throw CommandFailed(BadInput, QStringLiteral("--map gives %1 choices; the file's first line has %2 fields")
                                          .arg(mapping.choices.size())
                                          .arg(source.fieldCount));
    while (mapping.choices.size() < source.fieldCount) mapping.choices << kNoneOfTheAbove;
    return mapping;
}

QString MappingText(const ImportMapping& mapping, const ImportSource& source, const Delimiter& delimiter) {
    const QStringList names = mapping.firstIsHeader ? ColumnNames(source, delimiter) : QStringList();
    QStringList parts;
    for (qsizetype f = 0; f < mapping.choices.size(); ++f) {
        const QString column = mapping.firstIsHeader ? names.value(f) : QStringLiteral("column %1").arg(f + 1);
        parts << column + u'=' + FieldName(mapping.choices[f]);
    }
    return QStringLiteral("mapping: ") + parts.join(QStringLiteral(", "));
}

}  // namespace tessaly::cli
