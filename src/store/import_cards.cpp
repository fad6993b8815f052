#include "import_cards.h"

#include "card_backup.h"
#include "card_change.h"
#include "card_store.h"
#include "display_text.h"
#include "profile/profile_access.h"

#include <QDir>
#include <QRegularExpression>

namespace tessaly::store {

const QStringList kImportChoices = {
    QStringLiteral("Salute"),   QStringLiteral("1st. Name"), QStringLiteral("2nd. Name"),
    QStringLiteral("1st. Name + 2nd. Name"), QStringLiteral("2st. Name + 1nd. Name"),
    QStringLiteral("Title"),    QStringLiteral("Company"),   QStringLiteral("Address1"),
    QStringLiteral("Address2"), QStringLiteral("Address3"),  QStringLiteral("Address4"),
    QStringLiteral("ZIP/Postal Code"), QStringLiteral("Country"), QStringLiteral("Phone1"),
    QStringLiteral("Phone2"),   QStringLiteral("Fax"),       QStringLiteral("E-Mail"),
    QStringLiteral("Notes"),    QStringLiteral("NONE OF THE ABOVE")};

namespace {

constexpr std::int64_t kMaxRecordNumber = 999'999'999;

void SplitAtBlank(const QString& text, QString& before, QString& after) {
    const qsizetype blank = text.indexOf(u' ');
    before = blank < 0 ? text : text.left(blank);
    after = blank < 0 ? QString() : text.mid(blank + 1);
}

// The numbered card files, which replacing empties along with the header.
QStringList NumberedCardFiles(const QString& dataDir) {
    static const QRegularExpression numbered(QStringLiteral("^tesly[0-9]+\\.dat$"), QRegularExpression::CaseInsensitiveOption);
    QStringList files;
    for (const QString& name : QDir(dataDir).entryList({QStringLiteral("tesly*.dat")}, QDir::Files))
        if (numbered.match(name).hasMatch()) files << dataDir + name;
    return files;
}

void EmptyCardFile(CardStore& store, CardChange& change) {
    for (const QString& file : NumberedCardFiles(store.DataDir())) {
        change.aboutToWrite(file);
        if (!QFile::remove(file)) throw profile::WriteError(QStringLiteral("Could not remove %1").arg(file).toStdString());
    }
    const QString values[][2] = {{header::TotalNoOfRecords, QStringLiteral("0")}, {header::NoOfRecords, QStringLiteral("0")},
                                 {header::NameFirstRecord, QString()},             {header::CompanyFirstRecord, QString()},
                                 {header::DelNoOfRecords, QStringLiteral("0")},    {header::DelFirstRecord, QString()}};
    for (const auto& kv : values) store.WriteHeader(kv[0], kv[1]);
}

// A number no card holds: a counter left behind the cards must not overwrite one.
std::int64_t FreeRecordNumber(CardStore& store, std::int64_t next) {
    next = std::clamp<std::int64_t>(next, 0, kMaxRecordNumber + 1);
    while (next <= kMaxRecordNumber && store.Profile().hasSection(store.RecordFile(QString::number(next)), RecordSection(QString::number(next))))
        ++next;
    if (next > kMaxRecordNumber) throw CardLimitReached("No record number is left for a new card.");
    return next;
}

}  // namespace

void ImportLine(CardStore& store, CardFieldList f) {
    const QString showName = NameText(f[FirstName], f[LastName], f[Company]);
    const QString showCompany = CompanyText(f[FirstName], f[LastName], f[Company]);
    const std::int64_t total = FreeRecordNumber(store, LeadingNumber(store.ReadHeader(header::TotalNoOfRecords)));
    store.WriteHeader(header::TotalNoOfRecords, QString::number(total + 1));
    const int count = Count16(store.ReadHeader(header::NoOfRecords)) + 1;
    store.WriteHeader(header::NoOfRecords, QString::number(count));
    const QString rec = QString::number(total);
    for (const QString& k : LinkKeys) store.WriteCardKey(rec, k, QString());
    store.WriteCardKey(rec, key::ShowName, showName);
    store.WriteCardKey(rec, key::ShowCompany, showCompany);
    for (int k = 0; k < kFieldCount; ++k) store.WriteCardKey(rec, FieldKeys[k], f[k]);
    const QString nameHead = store.ReadHeader(header::NameFirstRecord);
    const QString companyHead = store.ReadHeader(header::CompanyFirstRecord);
    store.WriteHeader(header::NameFirstRecord, rec);
    store.WriteHeader(header::CompanyFirstRecord, rec);
    if (count > 1 && IsRecordNumber(nameHead)) {
        store.WriteCardKey(rec, key::NextName, nameHead);
        store.WriteCardKey(nameHead, key::PrevName, rec);
    }
    if (count > 1 && IsRecordNumber(companyHead)) {
        store.WriteCardKey(rec, key::NextCompany, companyHead);
        store.WriteCardKey(companyHead, key::PrevCompany, rec);
    }
}

CardFieldList CardFromFields(const QStringList& fields, const QList<int>& choices) {
    CardFieldList card;
    for (qsizetype f = 0; f < fields.size() && f < choices.size(); ++f) {
        const int c = choices[f];
        const QString& text = fields[f];
        if (c == 0 || c == 1 || c == 2) card[c] = text;
        else if (c == 3) SplitAtBlank(text, card[FirstName], card[LastName]);
        else if (c == 4 && !text.contains(u' ')) card[FirstName] = text, card[LastName].clear();
        else if (c == 4) SplitAtBlank(text, card[LastName], card[FirstName]);
        else if (c == 10 && !card[Address4].isEmpty() && !text.isEmpty()) card[Address4] += QStringLiteral(", ") + text;  // city, region
        else if (c >= 5 && c < kNoneOfTheAbove) card[c - 2] = text;
    }
    if (card[FirstName].trimmed().isEmpty() && card[LastName].trimmed().isEmpty() && card[Company].trimmed().isEmpty())
        card[FirstName] = QStringLiteral("NULL NAME");
    return card;
}

QStringList KeepLines(const QStringList& lines, const QString& only0, const QString& only1) {
    if (only0.isEmpty() && only1.isEmpty()) return lines;
    QStringList kept;
    for (const QString& line : lines)
        if ((!only0.isEmpty() && line.contains(only0, Qt::CaseInsensitive)) ||
            (!only1.isEmpty() && line.contains(only1, Qt::CaseInsensitive)))
            kept << line;
    return kept;
}

int ImportRoom(bool replace, int cardsInFile) { return replace ? kMaxCards : std::max(0, kMaxCards - cardsInFile); }

QList<CardFieldList> CardsFromLines(const QStringList& lines, const ImportPlan& plan) {
    QList<CardFieldList> cards;
    cards.reserve(lines.size());
    for (const QString& line : lines) cards << CardFromFields(SplitFields(line, plan.delimiter, plan.fieldCount), plan.choices);
    return cards;
}

QString ImportCards(CardStore& store, const QStringList& lines, const ImportPlan& plan, ProgressSink& progress) {
    return ImportCardList(store, CardsFromLines(lines, plan), plan.replace, progress);
}

QString ImportCardList(CardStore& store, const QList<CardFieldList>& cards, bool replace, ProgressSink& progress,
                       const QList<CardFill>& fills) {
    if (store.InUse()) throw InUseError();
    try {
        CardChange change(store);
        if (!store.MissingFiles().isEmpty())
            throw ImportFailed(QStringLiteral("Nothing is imported while %1 is missing or cannot be read.")
                                   .arg(store.MissingFiles().join(QStringLiteral(", ")))
                                   .toStdString());
        if (cards.size() > ImportRoom(replace, store.NoOfRecords))
            throw CardLimitReached(QStringLiteral("The card file can take %1 more cards, not %2.")
                                       .arg(ImportRoom(replace, store.NoOfRecords))
                                       .arg(cards.size())
                                       .toStdString());
        const CopyResult safety = CopyDataFiles(store.DataDir(), store.DataDir());
        if (!safety.ok())
            throw ImportFailed(QStringLiteral("The safety copy of the card file failed, nothing was imported: %1")
                                   .arg(safety.message())
                                   .toStdString());
        if (replace) EmptyCardFile(store, change);
        for (const CardFill& fill : replace ? QList<CardFill>() : fills) {
            CardFieldList current = store.ReadCard(fill.recNo);
            (void)store.ChangeCard(fill.recNo, current, fill.fields);
        }
        profile::ProfileBulk bulk(store.Profile());
        for (qsizetype i = 0; i < cards.size(); ++i) {
            progress.pumpEvents();
            progress.gauge(GaugePercent(int(i + 1), int(cards.size())));
            ImportLine(store, cards[i]);
        }
        bulk.finish();
        change.commit();
    } catch (const profile::FileError& e) {
        throw ImportFailed(QStringLiteral("The import failed and the card file was put back as it was "
                                          "(the safety copies tesly*.old are beside it): %1")
                               .arg(QString::fromUtf8(e.what()))
                               .toStdString());
    }
    QString note;
    try {
        store.RefreshLists();
    } catch (const profile::FileError& e) {
        note = QStringLiteral("The cards were imported, but could not be put in order; the next start sorts them: %1")
                   .arg(QString::fromUtf8(e.what()));
    }
    store.FillList();
    return note;
}

}  // namespace tessaly::store
