#pragma once
#include <QString>
#include <algorithm>
#include <array>
#include <initializer_list>

namespace tessaly::store {

// The sixteen fields of a card, in the order they are written.
inline constexpr int kFieldCount = 16;
enum FieldIndex {
    Sal = 0,
    FirstName = 1,
    LastName = 2,
    Title = 3,
    Company = 4,
    Address1 = 5,
    Address2 = 6,
    Address3 = 7,
    Address4 = 8,
    Address5 = 9,
    Address6 = 10,
    Phone1 = 11,
    Phone2 = 12,
    Fax = 13,
    EMail = 14,
    Notes = 15
};

// One card: its sixteen field values. Named accessors for code that means one field; indexed access
// and iteration for code that walks all of them in file order (reading, writing, comparing).
class Card {
public:
    Card() = default;
    // The first fields in file order; the rest stay empty.
    Card(std::initializer_list<QString> values) {
        std::copy_n(values.begin(), std::min<std::size_t>(values.size(), kFieldCount), fields_.begin());
    }

    QString& operator[](int field) { return fields_[field]; }
    const QString& operator[](int field) const { return fields_[field]; }
    auto begin() { return fields_.begin(); }
    auto end() { return fields_.end(); }
    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }
    static constexpr int size() { return kFieldCount; }
    bool operator==(const Card&) const = default;

    // True when every field is empty.
    bool isEmpty() const {
        for (const QString& value : fields_)
            if (!value.isEmpty()) return false;
        return true;
    }

    const QString& salutation() const { return fields_[Sal]; }
    const QString& firstName() const { return fields_[FirstName]; }
    const QString& lastName() const { return fields_[LastName]; }
    const QString& title() const { return fields_[Title]; }
    const QString& company() const { return fields_[Company]; }
    // Address line 1 to 6.
    const QString& addressLine(int line) const { return fields_[Address1 + line - 1]; }
    const QString& phone1() const { return fields_[Phone1]; }
    const QString& phone2() const { return fields_[Phone2]; }
    const QString& fax() const { return fields_[Fax]; }
    const QString& email() const { return fields_[EMail]; }
    const QString& notes() const { return fields_[Notes]; }

    void setSalutation(const QString& v) { fields_[Sal] = v; }
    void setFirstName(const QString& v) { fields_[FirstName] = v; }
    void setLastName(const QString& v) { fields_[LastName] = v; }
    void setTitle(const QString& v) { fields_[Title] = v; }
    void setCompany(const QString& v) { fields_[Company] = v; }
    void setAddressLine(int line, const QString& v) { fields_[Address1 + line - 1] = v; }
    void setPhone1(const QString& v) { fields_[Phone1] = v; }
    void setPhone2(const QString& v) { fields_[Phone2] = v; }
    void setFax(const QString& v) { fields_[Fax] = v; }
    void setEmail(const QString& v) { fields_[EMail] = v; }
    void setNotes(const QString& v) { fields_[Notes] = v; }

private:
    std::array<QString, kFieldCount> fields_{};
};

}  // namespace tessaly::store
