#include "card_generator.h"

#include "cards/card_change.h"
#include "cards/card_store.h"
#include "exchange/import_cards.h"
#include "profile/cached_profile.h"

#include <QStringList>

using namespace tessaly;
using namespace tessaly::store;

namespace {
const QStringList kFirst = {"Anna",  "Ben",  "Clara", "David", "Emma", "Felix",  "Greta", "Hugo", "Ida",
                            "Jonas", "Karl", "Lena",  "Marta", "Nils", "Olga",   "Paul",  "Rosa", "Sven",
                            "Tina",  "Ulf",  "Zoë",   "José",  "Åsa",  "Łukasz", "Chloé"};
const QStringList kLast = {"Adams",   "Baker",    "Clarke", "Dubois",    "Evans",   "Fischer", "García",
                           "Hansen",  "Ivanov",   "Jensen", "Kowalski",  "López",   "Müller",  "Nowak",
                           "O'Brien", "Petersen", "Quinn",  "Rossi",     "Schmidt", "Taylor",  "Underwood",
                           "Vogel",   "Weber",    "Young",  "Zimmermann"};
const QStringList kCompany = {"Acme Ltd",
                              "Globex",
                              "Initech",
                              "Umbrella plc",
                              "Stark Industries",
                              "Wayne Enterprises",
                              "Hooli",
                              "Vandelay Industries",
                              "Soylent Corp",
                              "Tyrell GmbH",
                              "Cyberdyne",
                              "Oscorp"};
const QStringList kStreet = {"High Street", "Station Road", "Main Street", "Church Lane", "Mill Road", "Park Avenue"};
const QStringList kCity = {"London", "Leeds", "Bristol", "Hamburg", "Lyon", "Oslo", "Porto", "Gdańsk"};
const QStringList kTitle = {"", "Manager", "Director", "Engineer", "Sales", "Accountant", "CEO"};
}  // namespace

QString CardGenerator::pick(const QStringList& from) {
    return from[std::uniform_int_distribution<int>(0, from.size() - 1)(rng_)];
}

QString CardGenerator::digits(int count) {
    QString s;
    for (int i = 0; i < count; ++i) s += QChar(u'0' + std::uniform_int_distribution<int>(0, 9)(rng_));
    return s;
}

Card CardGenerator::next() {
    Card f;
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng_);
    if (kind != 0) {
        f[Sal] = pick({"Mr.", "Ms.", "Dr.", ""});
        f[FirstName] = pick(kFirst);
        f[LastName] = pick(kLast);
    }
    if (kind < 7) f[Company] = pick(kCompany);
    f[Title] = pick(kTitle);
    f[Address1] = digits(2) + u' ' + pick(kStreet);
    f[Address4] = pick(kCity);
    f[Address5] = digits(5);
    f[Address6] = pick({"UK", "Germany", "France", "Norway", "Portugal", "Poland"});
    f[Phone1] = u'+' + digits(2) + u' ' + digits(3) + u' ' + digits(6);
    if (kind % 2) f[Phone2] = u'+' + digits(2) + u' ' + digits(9);
    if (kind % 3 == 0) f[Fax] = u'+' + digits(2) + u' ' + digits(9);
    f[EMail] =
        (f[FirstName].isEmpty() ? QStringLiteral("info") : f[FirstName].toLower()) + QStringLiteral("@example.org");
    if (kind % 4 == 0) f[Notes] = QStringLiteral("Met at the fair.\r\nCall back in spring; prefers e-mail.");
    return f;
}

void MakeCardFile(const QString& dataDir, int n) {
    profile::CachedProfile profile;
    CardStore store(profile, dataDir);
    WriteEmptyHeader(profile, store.DataFile());
    CardGenerator gen;
    profile::ProfileBulk bulk(profile);
    for (int i = 0; i < n; ++i) store.AddCard(gen.next());
    bulk.finish();
}

void MakeReversedCardFile(const QString& dataDir, int n) {
    MakeCardFile(dataDir, n);
    profile::CachedProfile profile;
    CardStore store(profile, dataDir);
    store.LoadLists();
    const auto reversed = [](QStringList l) {
        std::reverse(l.begin(), l.end());
        return l;
    };
    const QStringList names = reversed(store.AllByName), companies = reversed(store.AllByCompany);
    profile::ProfileBulk bulk(profile);
    store.WriteHeader(header::NameFirstRecord, names.value(0));
    store.WriteHeader(header::CompanyFirstRecord, companies.value(0));
    for (qsizetype i = 0; i < names.size(); ++i) {
        store.WriteCardKey(names[i], key::PrevName, names.value(i - 1));
        store.WriteCardKey(names[i], key::NextName, names.value(i + 1));
        store.WriteCardKey(companies[i], key::PrevCompany, companies.value(i - 1));
        store.WriteCardKey(companies[i], key::NextCompany, companies.value(i + 1));
    }
    bulk.finish();
}

void ImportInBulk(profile::ProfileAccess& profile, const QString& dataDir, int n) {
    CardStore store(profile, dataDir);
    CardGenerator gen;
    QList<Card> cards;
    for (int i = 0; i < n; ++i) cards << gen.next();
    // As an import does: one change (one lock, one look at the files) around its bulk.
    CardChange change(store, CardChange::Lists::AsTheyAre);
    profile::ProfileBulk bulk(profile);
    store.LoadLists();
    store.SortLists();
    store.AppendCards(cards);
    bulk.finish();
    change.commit();
    // Then read back and checked, as the program does after the switch.
    store.LoadLists();
    store.SortLists();
}
