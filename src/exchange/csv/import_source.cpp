#include "import_source.h"

#include "exchange/import_cards.h"

#include "column_names.h"

#include <QFileInfo>

namespace tessaly::store {

namespace {

// A file of one column (an e-mail list): no line holds the delimiter chosen,
// and the first line none of the other usual separators either, which would
// mean the wrong delimiter was chosen.
bool IsOneColumn(const QStringList& lines, const Delimiter& delimiter) {
    const QString text = delimiter.text();
    if (text.isEmpty()) return false;
    static const QString separators = QStringLiteral(",;\t|");
    if (std::any_of(separators.begin(), separators.end(), [&](QChar c) { return lines.front().contains(c); }))
        return false;
    return std::none_of(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(text); });
}

}  // namespace

ImportSource ReadImportSource(const QString& path, const Delimiter& delimiter, const QString& encoding) {
    const QString text = ReadExportFile(path, encoding);
    ImportSource source;
    NumberedLines split =
        delimiter.kind == DelimiterKind::QuotedCsv ? SplitNumberedRecords(text) : SplitNumberedLines(text);
    source.lines = std::move(split.lines);
    source.lineNumbers = std::move(split.numbers);
    source.emptyLines = split.empty;
    source.fieldCount = source.lines.isEmpty() ? 0 : CountFields(source.lines.front(), delimiter);
    if (source.fieldCount == 0 && !source.lines.isEmpty() && IsOneColumn(source.lines, delimiter))
        source.fieldCount = 1;
    if (source.fieldCount == 0) throw WrongDelimiter();
    return source;
}

void ImportSource::keepLines(const QString& only0, const QString& only1) {
    QStringList kept;
    QList<int> numbers;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (KeepsLine(lines[i], only0, only1)) kept << lines[i], numbers << lineNumbers.value(i);
    lines = std::move(kept);
    lineNumbers = std::move(numbers);
}

void ImportSource::dropFirst() {
    if (lines.isEmpty()) return;
    lines.removeFirst();
    if (!lineNumbers.isEmpty()) lineNumbers.removeFirst();
}

ImportSession ImportSession::Read(const QString& path, const Delimiter& delimiter, const QString& only0,
                                  const QString& only1, const QString& encoding) {
    ImportSource source = ReadImportSource(path, delimiter, encoding);
    ImportSession session;
    session.fileName = QFileInfo(path).fileName();
    session.plan.delimiter = delimiter;
    session.plan.fieldCount = source.fieldCount;
    session.firstIsHeader = IsHeaderLine(SplitFields(source.lines.front(), delimiter, source.fieldCount));
    const QString header = session.firstIsHeader ? source.lines.value(0) : QString();
    const int headerLine = source.lineNumbers.value(0, 1);
    if (session.firstIsHeader) source.dropFirst();
    source.keepLines(only0, only1);
    session.lines = std::move(source.lines);
    session.lineNumbers = std::move(source.lineNumbers);
    session.emptyLines = source.emptyLines;
    if (session.firstIsHeader) session.lines.prepend(header), session.lineNumbers.prepend(headerLine);
    return session;
}

void ImportSession::keepCards(int count) {
    const qsizetype keep = std::max(0, count) + (firstIsHeader ? 1 : 0);
    lines = lines.mid(0, keep);
    lineNumbers = lineNumbers.mid(0, keep);
}

QStringList ImportSession::fieldsOf(int i) const {
    return SplitFields(lines.value(i + (firstIsHeader ? 1 : 0)), plan.delimiter, plan.fieldCount);
}

QList<int> ImportSession::headerChoices() const {
    return ChoicesFromHeader(SplitFields(lines.value(0), plan.delimiter, plan.fieldCount));
}

}  // namespace tessaly::store
