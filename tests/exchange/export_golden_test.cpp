#include "../support/golden.h"
#include "../support/qt_print.h"
#include "exchange/csv/import_source.h"
#include "exchange/vcard/vcard_cards.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace tessaly::store;

namespace {

const QString kExports = QStringLiteral(TESSALY_SOURCE_DIR "/tests/data/exports/");

// The cards as the golden files write them: "counts=N,M" for a vCard file's
// values in the notes and left out, then Key=Value lines (a line break as
// \r\n), cards parted by "--".
QString GoldenText(const QList<Card>& cards, const QString& counts) {
    QStringList blocks;
    for (const Card& card : cards) {
        QStringList lines;
        for (int k = 0; k < kFieldCount; ++k)
            if (!card[k].isEmpty())
                lines << FieldKeys[k] + u'=' +
                             QString(card[k]).replace(QStringLiteral("\r\n"), QStringLiteral("\\r\\n"));
        blocks << lines.join(u'\n');
    }
    return (counts.isEmpty() ? QString() : QStringLiteral("counts=") + counts + u'\n') +
           blocks.join(QStringLiteral("\n--\n")) + u'\n';
}

// What the windows make of a delimited export: the wizard's reading, with
// the choices its column names suggest (or the ones given).
QList<Card> DelimitedCards(const QString& file, const Delimiter& delimiter, const QString& encoding,
                           const QList<int>& choices) {
    ImportSession session = ImportSession::Read(kExports + file, delimiter, {}, {}, encoding);
    session.plan.choices = choices.isEmpty() ? session.headerChoices() : choices;
    return CardsFromLines(session.cardLines(), session.plan);
}

}  // namespace

// Exports in the shapes real programs write them (tests/data/exports/PROVENANCE),
// read as the windows read them, against the cards written down beside each
// (NAME.cards). TESSALY_WRITE_GOLDEN=1 writes those afresh.
TEST(ExportGolden, everyExportComesInWhole) {
    const Delimiter csv{DelimiterKind::QuotedCsv, {}}, semicolons{DelimiterKind::QuotedCsv, ";"};
    struct Case {
        const char* file;
        Delimiter delimiter;
        const char* encoding;
        QList<int> choices;  // empty: the column names choose
    } cases[] = {
        {"webmail-utf16be.vcf", {}, "", {}},
        {"agent-sjis-21.vcf", {}, "", {}},
        {"mail-utf16le.csv", csv, "", {}},
        {"japanese-sjis.csv", csv, "Shift_JIS", {}},
        {"russian-cp1251.csv", csv, "Windows-1251", {}},
        {"google-title.csv", csv, "", {}},
        {"outlook-de.csv", semicolons, "", {}},
        {"outlook-fr.csv", csv, "", {}},
        {"email-list.csv", {DelimiterKind::Comma, {}}, "", {}},
        {"thunderbird-address.csv", csv, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QString reading;
        if (QString(c.file).endsWith(".vcf")) {
            const VCardCards read = ReadVCardFile(kExports + c.file);
            reading = GoldenText(read.cards, QStringLiteral("%1,%2").arg(read.valuesInNotes).arg(read.valuesLeftOut));
        } else {
            reading = GoldenText(DelimitedCards(c.file, c.delimiter, c.encoding, c.choices), {});
        }
        ExpectGolden("exports/" + QString(c.file).section(u'.', 0, 0) + ".cards", reading.toUtf8());
    }
}
