#include "vcard_cards.h"

#include "exchange/csv/import_reader.h"

namespace tessaly::store {

namespace {

// Bookkeeping of the vCard format and of the programs that write it: no contact data.
bool IsBookkeeping(const QString& name) {
    static const QStringList names = {QStringLiteral("PRODID"),     QStringLiteral("REV"),
                                      QStringLiteral("UID"),        QStringLiteral("CLIENTPIDMAP"),
                                      QStringLiteral("KIND"),       QStringLiteral("X-MOZILLA-HTML"),
                                      QStringLiteral("SORT-STRING")};
    return names.contains(name);
}

bool IsMedia(const VCardProperty& p) {
    static const QStringList names = {QStringLiteral("PHOTO"), QStringLiteral("LOGO"), QStringLiteral("SOUND"),
                                      QStringLiteral("KEY")};
    return p.binary || names.contains(p.name);
}

QString JoinFilled(const QStringList& parts, const QString& separator) {
    QStringList filled;
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty()) filled << part;
    return filled.join(separator);
}

// Two texts joined when both are there; either one as it stands (blanks kept) otherwise.
QString Joined(const QString& a, const QString& b, const QString& separator) {
    if (a.isEmpty()) return b;
    return b.isEmpty() ? a : a + separator + b;
}

QString Component(const QStringList& parts, int i) {
    return i < parts.size() ? parts[i] : QString();
}

// Street lines keep their empty lines between filled ones, so that the
// address fields come back where they were; the locality line goes last.
void PlaceAddress(const QStringList& adr, Card& card, QStringList& overflow) {
    QStringList lines;  // the post office box and the extended address first, when there
    for (int i : {0, 1})
        if (!Component(adr, i).isEmpty()) lines << Component(adr, i).split(QStringLiteral("\r\n"));
    lines << Component(adr, 2).split(QStringLiteral("\r\n"));
    while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    const QString locality = Joined(Component(adr, 3), Component(adr, 4), QStringLiteral(", "));
    const int streetRoom = locality.isEmpty() ? 4 : 3;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i < streetRoom)
            card[Address1 + i] = lines[i];
        else if (!lines[i].isEmpty())
            overflow << lines[i];
    }
    if (!locality.isEmpty()) card.setAddressLine(4, locality);
    card.setAddressLine(5, Component(adr, 5));
    card.setAddressLine(6, Component(adr, 6));
}

class CardBuilder {
public:
    CardBuilder(VCardCards& counts, QString version, VCardExtras extras)
        : counts_(counts), version_(std::move(version)), extras_(extras) {}

    void take(const VCardProperty& p) {
        if (IsMedia(p)) {
            ++counts_.valuesLeftOut;
            return;
        }
        if (IsBookkeeping(p.name)) return;
        const QString& n = p.name;
        if (n == u"N")
            takeName(VCardComponents(p.value));
        else if (n == u"FN")
            formatted_ = VCardUnescape(p.value);
        else if (n == u"TITLE")
            place(Title, n, VCardUnescape(p.value));
        else if (n == u"ORG")
            takeOrganisation(VCardComponents(p.value));
        else if (n == u"ADR")
            takeAddress(p);
        else if (n == u"TEL")
            place(VCardPhoneField(p), n, VCardPhoneText(p, version_));
        else if (n == u"EMAIL")
            place(EMail, n, VCardUnescape(p.value));
        else if (n == u"NOTE")
            place(Notes, n, VCardUnescape(p.value));
        else if (n == u"LABEL")
            labels_ << VCardUnescape(p.value);
        else
            toNotes(n, p.value.contains(u';') ? JoinFilled(VCardComponents(p.value), QStringLiteral("; "))
                                              : VCardUnescape(p.value));
    }

    Card finish() {
        // A label is the printed form of an address: kept only when no address gave the fields.
        if (!addressTaken_)
            for (const QString& label : labels_) toNotes(QStringLiteral("LABEL"), label);
        if (card_.firstName().isEmpty() && card_.lastName().isEmpty() && !formatted_.trimmed().isEmpty() &&
            formatted_ != card_.company()) {
            const qsizetype blank = formatted_.indexOf(u' ');
            card_.setFirstName(blank < 0 ? formatted_ : formatted_.left(blank));
            card_.setLastName(blank < 0 ? QString() : formatted_.mid(blank + 1));
        }
        if (!extraNotes_.isEmpty())
            card_.setNotes(Joined(card_.notes(), extraNotes_.join(QStringLiteral("\r\n")), QStringLiteral("\r\n")));
        if (card_.firstName().trimmed().isEmpty() && card_.lastName().trimmed().isEmpty() &&
            card_.company().trimmed().isEmpty())
            card_.setFirstName(QStringLiteral("NULL NAME"));
        return card_;
    }

private:
    void takeName(const QStringList& parts) {
        if (nameTaken_) return toNotes(QStringLiteral("N"), JoinFilled(parts, QStringLiteral(" ")));
        nameTaken_ = true;
        card_.setSalutation(Component(parts, 3));
        card_.setFirstName(Joined(Component(parts, 1), Component(parts, 2), QStringLiteral(" ")));
        card_.setLastName(Component(parts, 0));
        if (!Component(parts, 4).isEmpty()) toNotes(QStringLiteral("N"), Component(parts, 4));
    }

    void takeOrganisation(const QStringList& parts) {
        place(Company, QStringLiteral("ORG"),
              Joined(parts.front(), JoinFilled(parts.mid(1), QStringLiteral(", ")), QStringLiteral(", ")));
    }

    void takeAddress(const VCardProperty& p) {
        const QStringList adr = VCardComponents(p.value);
        if (addressTaken_) return toNotes(p.name, JoinFilled(adr, QStringLiteral(", ")));
        addressTaken_ = true;
        QStringList overflow;
        PlaceAddress(adr, card_, overflow);
        for (const QString& line : overflow) toNotes(p.name, line);
    }

    void place(int field, const QString& name, const QString& value) {
        if (value.isEmpty()) return;
        if (card_[field].isEmpty())
            card_[field] = value;
        else
            toNotes(name, value);
    }

    void toNotes(const QString& name, const QString& value) {
        if (value.trimmed().isEmpty() || extras_ == VCardExtras::LeftOut) return;
        extraNotes_ << name + QStringLiteral(": ") + value;
        ++counts_.valuesInNotes;
    }

    VCardCards& counts_;
    QString version_;
    VCardExtras extras_;
    Card card_;
    QString formatted_;
    QStringList extraNotes_, labels_;
    bool nameTaken_ = false, addressTaken_ = false;
};

}  // namespace

// A telephone number without the "tel:" of a URI value (version 4.0's default).
QString VCardPhoneText(const VCardProperty& p, const QString& version) {
    QString text = VCardUnescape(p.value);
    const bool uri = p.valueType == u"URI" || (p.valueType.isEmpty() && version.startsWith(u'4'));
    if (uri && text.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive)) text = text.mid(4);
    return text;
}

int VCardPhoneField(const VCardProperty& p) {
    if (p.hasType(QStringLiteral("FAX"))) return Fax;
    if (p.hasType(QStringLiteral("HOME")) || p.hasType(QStringLiteral("CELL"))) return Phone2;
    return Phone1;
}

Card CardFromVCard(const VCard& vcard, VCardCards& counts, VCardExtras extras) {
    CardBuilder builder(counts, vcard.version, extras);
    for (const VCardProperty& p : vcard.properties) builder.take(p);
    return builder.finish();
}

VCardCards CardsFromVCards(const QList<VCard>& vcards) {
    VCardCards result;
    result.cards.reserve(vcards.size());
    for (const VCard& v : vcards) result.cards << CardFromVCard(v, result);
    return result;
}

VCardCards ReadVCardFile(const QString& path) {
    const QByteArray bytes = ReadExportBytes(path);
    const QList<VCard> vcards = ParseVCards(bytes);
    if (vcards.size() > kMaxVCards)
        throw ImportFileError(QStringLiteral("%1 holds more than %2 vCards.").arg(path).arg(kMaxVCards).toStdString());
    VCardCards result = CardsFromVCards(vcards);
    if (result.cards.isEmpty()) throw ImportFileError(QStringLiteral("%1 holds no vCard.").arg(path).toStdString());
    return result;
}

}  // namespace tessaly::store
