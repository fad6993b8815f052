#include "find_cards.h"

#include "display_text.h"
#include "profile/profile_access.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <vector>

namespace tessaly::store {

namespace {
constexpr std::array<int, 2> kNameFields{FirstName, LastName};
constexpr std::array<int, 1> kCompanyFields{Company};
constexpr std::array<int, 4> kNameTitleCompanyFields{FirstName, LastName, Title, Company};
constexpr std::array<int, kFieldCount> kAllFields{Sal,      FirstName, LastName, Title,    Company,  Address1,
                                                  Address2, Address3,  Address4, Address5, Address6, Phone1,
                                                  Phone2,   Fax,       EMail,    Notes};
}  // namespace

std::span<const int> SearchFields(int item) {
    switch (item) {
        case 0:
            return kNameFields;
        case 1:
            return kCompanyFields;
        case 2:
            return kNameTitleCompanyFields;
        case 3:
            return kAllFields;
    }
    return {};
}

int FoundLabel(int field) {
    if (field <= LastName) return 0;
    if (field <= Address3) return field - 2;
    if (field <= Address5) return 6;  // Address4 and Address5 share one line
    return field - 3;
}

bool FieldHolds(QStringView value, const QString& lowered) {
    // Nearly every value is ASCII: lowered on the stack, as toLower would lower it.
    QVarLengthArray<char16_t, 256> small(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c >= 0x80) return value.toString().toLower().contains(lowered);
        small[i] = LowerAscii(c);
    }
    return QStringView(small.data(), small.size()).contains(lowered);
}

FindResult FindFunction(CardStore& store, const QStringList& recNos, int start, const QString& text, int item,
                        ProgressSink& progress) {
    FindResult result;
    const std::span<const int> fields = SearchFields(item);
    const QString wanted = text.toLower();
    const int count = static_cast<int>(recNos.size());
    start = std::max(start, -1);  // no selection: search from the top
    // True when card i matches; remembers where.
    profile::ProfileAccess& profile = store.Profile();
    std::vector<QString> keys;
    for (int f : fields) keys.push_back(FieldKeys[f]);
    auto matches = [&](int i) {
        result.lastRecNo = recNos[i];
        // The card's fields are read in one look at its section; the first in
        // the search's order that holds the text is the one found.
        int found = -1;
        profile.visitSection(store.RecordFile(recNos[i]), RecordSection(recNos[i]), keys,
                             [&](std::size_t k, QStringView value) {
                                 if (found < 0 && FieldHolds(value, wanted)) found = fields[k];
                             });
        if (found < 0) return false;
        result = {true, i, found, recNos[i]};
        return true;
    };
    // One operation for the whole search: each card file is checked against the disk once, not once per card.
    profile::ProfileOperation op(profile);
    for (int i = start + 1; i < count; ++i) {
        progress.pumpEvents();
        progress.gauge(GaugePercent(i - start - 1, count));
        if (matches(i)) return result;
    }
    // The second pass ends at the selected card, or at the list's end when the position is stale.
    for (int i = 0, last = std::min(start, count - 1); i <= last; ++i) {
        progress.pumpEvents();
        progress.gauge(GaugePercent(count - start + i, count));
        if (matches(i)) return result;
    }
    return result;
}

}  // namespace tessaly::store
