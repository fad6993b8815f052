#include "column_names.h"

#include "exchange/import_cards.h"

#include <QHash>

namespace tessaly::store {

namespace {

constexpr int kFirstName = 1, kLastName = 2, kBothNames = 3, kAddress4 = 10;
// A region column goes to Address4 beside the city, as the details show them.
constexpr int kRegion = 100;

// Column names of the exports people bring, lower case with single blanks.
// Outlook writes its names in the language of the installation (English,
// German, French and Japanese here); Google writes numbered ones
// ("E-mail 1 - Value", "Organization 1 - Title").
const QHash<QString, int>& KnownColumns() {
    static const QHash<QString, int> columns = [] {
        const std::pair<int, QStringList> table[] = {
            {0, {"title", "name prefix", "prefix", "salutation", "anrede", "titre", "civilité"}},
            {kFirstName, {"first name", "given name", "firstname", "first", "vorname", "prénom", "prenom", "名"}},
            {kLastName,
             {"last name", "family name", "surname", "lastname", "last", "nachname", "nom", "nom de famille", "姓"}},
            {kBothNames,
             {"name", "display name", "full name", "formatted name", "nickname and name", "anzeigename",
              "nom complet"}},
            {5,
             {"job title", "position", "role", "organization 1 - title", "organization title", "jobtitle", "fonction",
              "poste", "berufsbezeichnung", "役職"}},
            {6,
             {"company", "organization", "organisation", "company name", "organization 1 - name", "organization name",
              "firma", "société", "societe", "entreprise", "会社名"}},
            {7,
             {"business street", "home street", "home address", "work address", "address", "street",
              "address 1 - street", "street address", "address line 1", "straße geschäftlich", "straße privat",
              "strasse geschäftlich", "strasse privat", "rue (bureau)", "rue (domicile)", "home street address",
              "work street address"}},
            {8,
             {"business street 2", "home street 2", "home address 2", "work address 2", "address 2", "address line 2",
              "address 1 - extended address", "straße geschäftlich 2", "straße privat 2", "rue (bureau) 2",
              "rue (domicile) 2"}},
            {9,
             {"business street 3", "home street 3", "address line 3", "address 1 - po box", "straße geschäftlich 3",
              "straße privat 3", "rue (bureau) 3", "rue (domicile) 3"}},
            {kAddress4,
             {"business city", "home city", "work city", "city", "address 1 - city", "town", "locality",
              "ort geschäftlich", "ort privat", "ort", "stadt", "ville (bureau)", "ville (domicile)", "ville"}},
            {kRegion,
             {"business state", "home state", "work state", "state", "region", "address 1 - region", "province",
              "county", "state/province", "region geschäftlich", "region privat", "bundesland/kanton geschäftlich",
              "bundesland/kanton privat", "dép/région (bureau)", "dép/région (domicile)", "état/province (bureau)",
              "état/province (domicile)"}},
            {11,
             {"business postal code",
              "home postal code",
              "home zipcode",
              "work zipcode",
              "postal code",
              "zip",
              "zip code",
              "zipcode",
              "postcode",
              "address 1 - postal code",
              "home zip",
              "work zip",
              "business zip",
              "home zip code",
              "work zip code",
              "postleitzahl geschäftlich",
              "postleitzahl privat",
              "plz",
              "code postal (bureau)",
              "code postal (domicile)",
              "code postal"}},
            {12,
             {"business country/region", "home country/region", "home country", "work country", "country",
              "address 1 - country", "country/region", "land/region geschäftlich", "land/region privat", "land",
              "pays/région (bureau)", "pays/région (domicile)", "pays"}},
            {13,
             {"business phone", "work phone", "phone", "primary phone", "telephone", "phone 1 - value", "phone number",
              "work", "phone (work)", "telefon geschäftlich", "telefon", "téléphone (bureau)", "téléphone",
              "company main phone", "business phone 2"}},
            {14,
             {"home phone", "mobile phone", "mobile number", "phone 2 - value", "mobile", "cell", "cell phone", "home",
              "phone (home)", "phone (mobile)", "telefon privat", "mobiltelefon", "téléphone (domicile)", "tél. mobile",
              "home phone 2"}},
            {15,
             {"business fax", "home fax", "fax", "fax number", "fax geschäftlich", "fax privat", "télécopie (bureau)",
              "télécopie (domicile)", "work fax"}},
            {16, {"e-mail address",
                  "primary email",
                  "email",
                  "e-mail",
                  "email address",
                  "e-mail 1 - value",
                  "email 1 - value",
                  "email home",
                  "email work",
                  "home email",
                  "work email",
                  "e-mail home",
                  "e-mail work",
                  "email 1",
                  "e-mail 1",
                  "mail",
                  "e-mail-adresse",
                  "adresse de messagerie",
                  "adresse e-mail",
                  "courriel",
                  "email (home)",
                  "email (work)",
                  "電子メール アドレス"}},
            {17, {"notes", "note", "comments", "comment", "notizen", "bemerkungen"}},
        };
        QHash<QString, int> h;
        for (const auto& [choice, names] : table)
            for (const QString& n : names) h.insert(n, choice);
        return h;
    }();
    return columns;
}

int KnownRole(const QString& column) {
    return KnownColumns().value(column.simplified().toLower(), kNoneOfTheAbove);
}

}  // namespace

int ChoiceForColumn(const QString& column) {
    const int role = KnownRole(column);
    return role == kRegion ? kAddress4 : role;
}

bool IsHeaderLine(const QStringList& fields) {
    const auto known =
        std::count_if(fields.begin(), fields.end(), [](const QString& f) { return KnownRole(f) != kNoneOfTheAbove; });
    if (known >= 2) return true;
    // One name alone on its line (a one-column list's header) leaves no doubt.
    return known == 1 &&
           std::count_if(fields.begin(), fields.end(), [](const QString& f) { return !f.trimmed().isEmpty(); }) == 1;
}

QList<int> ChoicesFromHeader(const QStringList& fields) {
    QList<int> roles;
    for (const QString& f : fields) {
        const int r = KnownRole(f);
        roles << (roles.contains(r) ? kNoneOfTheAbove : r);
    }
    // A whole-name column only when there are no name parts.
    const bool hasParts = roles.contains(kFirstName) || roles.contains(kLastName);
    if (hasParts) std::replace(roles.begin(), roles.end(), kBothNames, kNoneOfTheAbove);
    std::replace(roles.begin(), roles.end(), kRegion, kAddress4);
    return roles;
}

bool RepeatsPlacedColumns(const QString& column, const QList<int>& choices) {
    const QString name = column.simplified().toLower();
    if (name.endsWith(QStringLiteral(" - type")) || name.endsWith(QStringLiteral(" - formatted"))) return true;
    return KnownRole(name) == kBothNames && (choices.contains(kFirstName) || choices.contains(kLastName));
}

}  // namespace tessaly::store
