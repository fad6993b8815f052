#include "history_text.h"

#include "cards/card_layout.h"
#include "cards/display_text.h"

#include <QDateTime>

namespace tessaly::history {

using store::CardPlace;

namespace {

QString MoveText(CardPlace from, CardPlace to) {
    if (from == to) return QStringLiteral("changed");
    if (from == CardPlace::Absent) return QStringLiteral("added");
    if (to == CardPlace::Deleted) return QStringLiteral("deleted");
    if (from == CardPlace::Deleted) return QStringLiteral("restored");
    return QStringLiteral("taken off the lists");
}

// A value as one line: its line breaks shown, long ones shortened.
QString Shown(const QString& value) {
    QString line = value;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" ⏎ ")).replace(u'\n', QStringLiteral(" ⏎ "));
    if (line.size() > 80) line = line.left(79) + u'…';
    return line.isEmpty() ? QStringLiteral("(empty)") : line;
}

}  // namespace

QString CardName(store::Card fields) {
    const QString name =
        store::NameText(fields[store::FirstName], fields[store::LastName], fields[store::Company]).trimmed();
    return name.isEmpty() ? QStringLiteral("a card without a name") : name;
}

QString EntryTimeText(const JournalEntry& entry) {
    return QDateTime::fromMSecsSinceEpoch(entry.timeMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString CardsTouchedText(const JournalEntry& entry) {
    if (entry.kind == EntryKind::Files) return QStringLiteral("card files");
    return entry.cards.size() == 1 ? QStringLiteral("1 card") : QStringLiteral("%1 cards").arg(entry.cards.size());
}

QStringList ChangeLines(const JournalEntry& entry) {
    QStringList lines;
    if (entry.kind == EntryKind::Files) {
        for (const FileImage& after : entry.after) {
            const auto before = std::find_if(entry.before.begin(), entry.before.end(),
                                             [&](const FileImage& b) { return b.name == after.name; });
            const bool existed = before != entry.before.end() && before->bytes;
            lines << QStringLiteral("%1: %2").arg(after.name, !after.bytes ? QStringLiteral("removed")
                                                              : existed    ? QStringLiteral("replaced")
                                                                           : QStringLiteral("created"));
        }
        return lines;
    }
    for (const store::CardTransition& t : entry.cards) {
        const store::Card& shown = t.after.place == CardPlace::Absent ? t.before.fields : t.after.fields;
        lines << QStringLiteral("%1 (card %2): %3")
                     .arg(CardName(shown), t.recNo, MoveText(t.before.place, t.after.place));
        for (int i = 0; i < store::kFieldCount; ++i)
            if (t.before.fields[i] != t.after.fields[i])
                lines << QStringLiteral("    %1: %2 → %3")
                             .arg(store::FieldKeys[i], Shown(t.before.fields[i]), Shown(t.after.fields[i]));
    }
    return lines;
}

QStringList DifferingFields(const store::Card& theirs, const store::Card& yours) {
    QStringList lines;
    for (int i = 0; i < store::kFieldCount; ++i)
        if (theirs[i] != yours[i])
            lines << QStringLiteral("%1: %2 | %3").arg(store::FieldKeys[i], Shown(theirs[i]), Shown(yours[i]));
    return lines;
}

}  // namespace tessaly::history
