#include "import_source.h"

#include "import_cards.h"

#include <QHash>

namespace tessaly::store {

namespace {

constexpr int kBothNames = 3, kFirstName = 1, kLastName = 2;

// Column names of the exports people bring (Outlook, Google Contacts,
// Thunderbird, KAddressBook, LinkedIn), compared without regard to case.
const QHash<QString, int>& KnownColumns() {
    static const QHash<QString, int> columns = [] {
        const std::pair<int, QStringList> table[] = {
            {0, {"title", "name prefix", "prefix", "salutation"}},
            {kFirstName, {"first name", "given name", "firstname"}},
            {kLastName, {"last name", "family name", "surname", "lastname"}},
            {kBothNames, {"name", "display name", "full name", "formatted name"}},
            {5, {"job title", "position", "role"}},
            {6, {"company", "organization", "organisation", "company name", "organization 1 - name"}},
            {7, {"business street", "home street", "home address", "work address", "address", "street",
                 "address 1 - street"}},
            {8, {"business street 2", "home street 2", "home address 2", "work address 2", "address 2"}},
            {9, {"business city", "home city", "work city", "city", "address 1 - city"}},
            {10, {"business state", "home state", "work state", "state", "region", "address 1 - region"}},
            {11, {"business postal code", "home postal code", "home zipcode", "work zipcode", "postal code", "zip",
                  "zip code", "address 1 - postal code"}},
            {12, {"business country/region", "home country/region", "home country", "work country", "country",
                  "address 1 - country"}},
            {13, {"business phone", "work phone", "phone", "primary phone", "telephone", "phone 1 - value"}},
            {14, {"home phone", "mobile phone", "mobile number", "phone 2 - value"}},
            {15, {"business fax", "home fax", "fax", "fax number"}},
            {16, {"e-mail address", "primary email", "email", "e-mail", "email address", "e-mail 1 - value"}},
            {17, {"notes", "note"}},
        };
        QHash<QString, int> h;
        for (const auto& [choice, names] : table)
            for (const QString& n : names) h.insert(n, choice);
        return h;
    }();
    return columns;
}

int KnownChoice(const QString& column) { return KnownColumns().value(column.trimmed().toLower(), kNoneOfTheAbove); }

}  // namespace

ImportSource ReadImportSource(const QString& path, const Delimiter& delimiter) {
    const QString text = ReadExportFile(path);
    ImportSource source;
    source.lines = delimiter.kind == DelimiterKind::QuotedCsv ? SplitQuotedRecords(text) : SplitLines(text);
    source.fieldCount = source.lines.isEmpty() ? 0 : CountFields(source.lines.front(), delimiter);
    if (source.fieldCount == 0) throw WrongDelimiter();
    return source;
}

bool IsHeaderLine(const QStringList& fields) {
    return std::count_if(fields.begin(), fields.end(), [](const QString& f) { return KnownChoice(f) != kNoneOfTheAbove; }) >= 2;
}

QList<int> ChoicesFromHeader(const QStringList& fields) {
    QList<int> choices;
    for (const QString& f : fields) {
        const int c = KnownChoice(f);
        choices << (choices.contains(c) ? kNoneOfTheAbove : c);
    }
    // A whole-name column only when there are no name parts.
    const bool hasParts = choices.contains(kFirstName) || choices.contains(kLastName);
    if (hasParts) std::replace(choices.begin(), choices.end(), kBothNames, kNoneOfTheAbove);
    return choices;
}

ImportSession ImportSession::Read(const QString& path, const Delimiter& delimiter, const QString& only0,
                                  const QString& only1) {
    ImportSource source = ReadImportSource(path, delimiter);
    ImportSession session;
    session.plan.delimiter = delimiter;
    session.plan.fieldCount = source.fieldCount;
    session.firstIsHeader = IsHeaderLine(SplitFields(source.lines.front(), delimiter, source.fieldCount));
    const QString header = session.firstIsHeader ? source.lines.takeFirst() : QString();
    session.lines = KeepLines(source.lines, only0, only1);
    if (session.firstIsHeader) session.lines.prepend(header);
    return session;
}

void ImportSession::keepCards(int count) { lines = lines.mid(0, std::max(0, count) + (firstIsHeader ? 1 : 0)); }

QStringList ImportSession::fieldsOf(int i) const {
    return SplitFields(lines.value(i + (firstIsHeader ? 1 : 0)), plan.delimiter, plan.fieldCount);
}

QList<int> ImportSession::headerChoices() const {
    return ChoicesFromHeader(SplitFields(lines.value(0), plan.delimiter, plan.fieldCount));
}

}  // namespace tessaly::store
