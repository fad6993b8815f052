#include "cli_print.h"

#include "cards/card_store.h"
#include "cli_commands.h"
#include "cli_exchange.h"
#include "print/label_sheets.h"
#include "print/label_text.h"
#include "print/pdf_output.h"
#include "profile/app_paths.h"
#include "profile/cached_profile.h"
#include "shell/preferences.h"

#include <QGuiApplication>
#include <cstring>

namespace tessaly::cli {

namespace {

using namespace tessaly::store;

struct PrintArgs {
    QString what, sheet, kind, paper, file;
    int start = 1;
    bool byCompany = false;
};

PrintArgs ParseArgs(const QStringList& args) {
    PrintArgs p;
    p.what = args.value(0);
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) throw CommandFailed(BadInput, QStringLiteral("%1 needs a value").arg(a));
            return args[++i];
        };
        if (a == u"--sheet")
            p.sheet = value();
        else if (a == u"--kind")
            p.kind = value();
        else if (a == u"--paper")
            p.paper = value();
        else if (a == u"--company")
            p.byCompany = true;
        else if (a == u"--start") {
            bool ok = false;
            p.start = value().toInt(&ok);
            if (!ok || p.start < 1)
                throw CommandFailed(BadInput, QStringLiteral("--start takes a label position from 1"));
        } else if (p.file.isEmpty() && !a.startsWith(u"--"))
            p.file = a;
        else
            throw CommandFailed(BadInput, QStringLiteral("Unknown argument \"%1\"").arg(a));
    }
    if (p.what != u"sheets" && p.file.isEmpty())
        throw CommandFailed(BadInput, QStringLiteral("print needs the PDF file to write"));
    return p;
}

QList<Card> ListedCards(CardStore& store, bool byCompany) {
    store.LoadLists();
    QList<Card> cards;
    for (const QString& n : byCompany ? store.AllByCompany : store.AllByName) cards << store.ReadCard(n);
    if (cards.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("There are no cards to print"));
    return cards;
}

// A PDF that could not be written throws profile::WriteError, which is exit 4.
void Wrote(int pages, const QString& file, QTextStream& out) {
    out << "wrote " << pages << (pages == 1 ? " page to " : " pages to ") << file << '\n';
}

int Labels(CardStore& store, const PrintArgs& p, QTextStream& out) {
    const LabelSheets sheets = LoadLabelSheets(UserLabelSheetsFile());
    const LabelSheet* sheet = sheets.find(p.sheet);
    if (!sheet) {
        QStringList names;
        for (const LabelSheet& s : sheets.sheets) names << s.name;
        throw CommandFailed(BadInput,
                            QStringLiteral("No label sheet \"%1\"; known: %2%3")
                                .arg(p.sheet, names.join(u' '),
                                     sheets.problems.isEmpty() ? QString() : u'\n' + sheets.problems.join(u'\n')));
    }
    if (p.start > sheet->LabelsPerSheet())
        throw CommandFailed(BadInput, QStringLiteral("Sheet %1 has %2 labels; --start %3 is past them")
                                          .arg(sheet->name)
                                          .arg(sheet->LabelsPerSheet())
                                          .arg(p.start));
    profile::CachedProfile preferences;
    const int nameStyle = static_cast<int>(
        LeadingNumber(preferences.read(PreferencesFile(), shell::prefs::Section, QStringLiteral("NameField"))));
    QList<QStringList> labels;
    for (const Card& card : ListedCards(store, p.byCompany)) labels << LabelLines(nameStyle, card);
    Wrote(print::WriteLabelsPdf(p.file, *sheet, p.start, labels, nullptr, store.DataFile()), p.file, out);
    return Done;
}

int List(CardStore& store, const PrintArgs& p, QTextStream& out) {
    const ListKind kind = p.kind == u"phone" ? ListKind::Phone : ListKind::Full;
    if (p.kind != u"phone" && p.kind != u"full")
        throw CommandFailed(BadInput, QStringLiteral("--kind takes phone or full"));
    const std::optional<QPageSize> paper = print::PaperNamed(p.paper.isEmpty() ? QStringLiteral("a4") : p.paper);
    if (!paper) throw CommandFailed(BadInput, QStringLiteral("--paper takes a4 or letter"));
    const ReportTable table = BuildReport(kind, ListedCards(store, p.byCompany), p.byCompany);
    Wrote(print::WriteReportPdf(p.file, *paper, table, QDate::currentDate(), nullptr, store.DataFile()), p.file, out);
    return Done;
}

int Sheets(QTextStream& out) {
    const LabelSheets sheets = LoadLabelSheets(UserLabelSheetsFile());
    for (const LabelSheet& s : sheets.sheets)
        out << s.name << '\t' << s.paper << '\t' << s.columns << 'x' << s.rows << '\n';
    for (const QString& problem : sheets.problems) out << problem << '\n';
    return sheets.problems.isEmpty() ? Done : Faults;
}

}  // namespace

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "print") == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    return std::make_unique<QCoreApplication>(argc, argv);
}

int PrintCommand(CardStore& store, const QStringList& args, QTextStream& out) {
    const PrintArgs p = ParseArgs(args);
    if (p.what == u"labels") return Labels(store, p, out);
    if (p.what == u"list") return List(store, p, out);
    if (p.what == u"sheets") return Sheets(out);
    throw CommandFailed(BadInput, QStringLiteral("print takes labels, list or sheets"));
}

}  // namespace tessaly::cli
