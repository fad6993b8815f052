#pragma once
#include "card_layout.h"

#include <QString>
#include <array>

namespace tessaly::store {

inline constexpr int kDetailLabelCount = 13;
inline constexpr int kNameStyleCount = 4;

// The name line of the details by style: 0 Sal LastName, 1 Sal FirstName
// LastName, 2 FirstName LastName, 3 FirstName; any other style as 0. The
// blank next to an empty first or last name stays.
QString ComposeName(int nameField, const Card& fields);

// The texts of the thirteen detail labels.
std::array<QString, kDetailLabelCount> DetailTexts(int nameField, const Card& fields);

// The detail groups in the order the details pane enables them; the first
// eight have a copy check box of the same index.
enum class DetailGroup { Name, Title, Company, Address, Phone1, Phone2, Fax, EMail, Notes };
inline constexpr int kDetailGroupCount = 9;
bool GroupFilled(DetailGroup group, const Card& fields);
// The detail labels a group enables.
std::pair<int, int> GroupLabels(DetailGroup group);

// "Str" form of a number: a blank stands where a minus sign would.
QString StrNumber(qint64 n);
// The status bar's position text: " 3/ 25".
QString PositionText(int index, int count);

// The name-style menu: the caption of entry k and whether it is offered for this card.
QString NameStyleCaption(int k, const Card& fields);
bool NameStyleOffered(int k, const Card& fields);

}  // namespace tessaly::store
