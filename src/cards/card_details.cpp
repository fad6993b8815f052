#include "card_details.h"

namespace tessaly::store {

namespace {
const QString& F(const Card& f, FieldIndex i) {
    return f[static_cast<int>(i)];
}
}  // namespace

QString ComposeName(int nameField, const Card& f) {
    const QString& sal = F(f, FieldIndex::Sal);
    const QString& first = F(f, FieldIndex::FirstName);
    const QString& last = F(f, FieldIndex::LastName);
    switch (nameField) {
        case 1:
            return sal.isEmpty() ? first + u' ' + last : sal + u' ' + first + u' ' + last;
        case 2:
            return first + u' ' + last;
        case 3:
            return first;
        default:
            return sal.isEmpty() ? last : sal + u' ' + last;
    }
}

std::array<QString, kDetailLabelCount> DetailTexts(int nameField, const Card& f) {
    const QString& a4 = F(f, FieldIndex::Address4);
    const QString& a5 = F(f, FieldIndex::Address5);
    return {ComposeName(nameField, f),
            F(f, FieldIndex::Title),
            F(f, FieldIndex::Company),
            F(f, FieldIndex::Address1),
            F(f, FieldIndex::Address2),
            F(f, FieldIndex::Address3),
            (!a4.isEmpty() && !a5.isEmpty()) ? a4 + QStringLiteral(", ") + a5 : a4 + a5,
            F(f, FieldIndex::Address6),
            F(f, FieldIndex::Phone1),
            F(f, FieldIndex::Phone2),
            F(f, FieldIndex::Fax),
            F(f, FieldIndex::EMail),
            F(f, FieldIndex::Notes)};
}

bool GroupFilled(DetailGroup group, const Card& f) {
    auto has = [&](FieldIndex i) { return !F(f, i).isEmpty(); };
    switch (group) {
        case DetailGroup::Name:
            return has(FieldIndex::FirstName) || has(FieldIndex::LastName);
        case DetailGroup::Title:
            return has(FieldIndex::Title);
        case DetailGroup::Company:
            return has(FieldIndex::Company);
        case DetailGroup::Address:
            for (int i = static_cast<int>(FieldIndex::Address1); i <= static_cast<int>(FieldIndex::Address6); ++i)
                if (!f[i].isEmpty()) return true;
            return false;
        case DetailGroup::Phone1:
            return has(FieldIndex::Phone1);
        case DetailGroup::Phone2:
            return has(FieldIndex::Phone2);
        case DetailGroup::Fax:
            return has(FieldIndex::Fax);
        case DetailGroup::EMail:
            return has(FieldIndex::EMail);
        case DetailGroup::Notes:
            return has(FieldIndex::Notes);
    }
    return false;
}

std::pair<int, int> GroupLabels(DetailGroup group) {
    switch (group) {
        case DetailGroup::Name:
            return {0, 0};
        case DetailGroup::Title:
            return {1, 1};
        case DetailGroup::Company:
            return {2, 2};
        case DetailGroup::Address:
            return {3, 7};
        case DetailGroup::Phone1:
            return {8, 8};
        case DetailGroup::Phone2:
            return {9, 9};
        case DetailGroup::Fax:
            return {10, 10};
        case DetailGroup::EMail:
            return {11, 11};
        case DetailGroup::Notes:
            return {12, 12};
    }
    return {0, -1};
}

QString StrNumber(qint64 n) {
    return n < 0 ? QString::number(n) : u' ' + QString::number(n);
}

QString PositionText(int index, int count) {
    return StrNumber(index + 1) + u'/' + StrNumber(count);
}

QString NameStyleCaption(int k, const Card& f) {
    const QString& sal = F(f, FieldIndex::Sal);
    const QString& first = F(f, FieldIndex::FirstName);
    const QString& last = F(f, FieldIndex::LastName);
    switch (k) {
        case 0:
            return sal + u' ' + last;
        case 1:
            return sal + u' ' + first + u' ' + last;
        case 2:
            return first + u' ' + last;
        case 3:
            return first;
    }
    return QString();
}

bool NameStyleOffered(int k, const Card& f) {
    const bool sal = !F(f, FieldIndex::Sal).isEmpty();
    const bool first = !F(f, FieldIndex::FirstName).isEmpty();
    const bool last = !F(f, FieldIndex::LastName).isEmpty();
    switch (k) {
        case 0:
            return sal && last;
        case 1:
            return sal && first && last;
        case 2:
            return first && last;
        case 3:
            return first;
    }
    return false;
}

}  // namespace tessaly::store
