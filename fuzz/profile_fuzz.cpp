// libFuzzer target: any bytes as a profile file. Parsing, reading, writing and
// serialising must not crash, a written value must read back exactly, without
// changing any other key, however the file around it looks, and keys read
// together must read as they do one by one.
#include "profile/profile_document.h"

#include <QString>
#include <cstdlib>

using tessaly::profile::ProfileDocument;

namespace {

void CheckKeysReadTogether(const QByteArray& bytes) {
    static const QString kKeys[] = {QStringLiteral("ShowName"), QStringLiteral("NextName"), QStringLiteral("Name"),
                                    QStringLiteral("a"), QStringLiteral(" K ")};
    for (const QString& section : {QStringLiteral("Record0"), QStringLiteral("General Info"), QStringLiteral("a")}) {
        const auto together = ProfileDocument::parse(bytes).values(section, kKeys);
        ProfileDocument alone = ProfileDocument::parse(bytes);
        if (together.has_value() != alone.hasSection(section)) std::abort();
        for (qsizetype i = 0; together && i < together->size(); ++i)
            if (together->at(i) != alone.value(section, kKeys[i]).value_or(QString())) std::abort();
    }
}

// A write gives the same file whether the section was split into lines by a read first or not.
void CheckWritesWhetherOrNotRead(const QByteArray& bytes) {
    ProfileDocument unread = ProfileDocument::parse(bytes), read = ProfileDocument::parse(bytes);
    const QString section = QStringLiteral("Record0"), value = QString::fromUtf8(bytes.left(12));
    read.value(section, QStringLiteral("NextName"));
    // The same key twice, the second time in other letters and with a longer value.
    const std::pair<QString, QString> writes[] = {{QStringLiteral("NextName"), value},
                                                  {QStringLiteral("ShowName"), value},
                                                  {QStringLiteral("nextname "), value + value},
                                                  {QStringLiteral("New"), value}};
    for (const auto& [key, text] : writes) {
        if (unread.setValue(section, key, text) != read.setValue(section, key, text)) std::abort();
        if (unread.serialize() != read.serialize()) std::abort();
    }
}

// A new card's keys written together give the file that writing them one by one gives, also
// after later writes into that section and the next one added.
void CheckKeysWrittenTogether(const QByteArray& bytes) {
    ProfileDocument together = ProfileDocument::parse(bytes), oneByOne = ProfileDocument::parse(bytes);
    const QString keys[] = {QStringLiteral("NextName"), QStringLiteral("Name"), QStringLiteral("Notes")};
    const QString values[] = {QString(), QString::fromUtf8(bytes.left(8)), QString::fromUtf8(bytes.right(16))};
    const QString section = QString::fromUtf8(bytes.mid(3, 6));
    together.setValues(section, keys, values);
    for (std::size_t i = 0; i < std::size(keys); ++i) oneByOne.setValue(section, keys[i], values[i]);
    for (ProfileDocument* doc : {&together, &oneByOne}) {
        doc->setValue(section, QStringLiteral("nextname"), QStringLiteral("7"));
        doc->setValue(QStringLiteral("Record9"), QStringLiteral("Name"), values[1]);
    }
    if (together.serialize() != oneByOne.serialize()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckKeysReadTogether(bytes);
    CheckWritesWhetherOrNotRead(bytes);
    CheckKeysWrittenTogether(bytes);
    ProfileDocument doc = ProfileDocument::parse(bytes);
    const auto count = doc.value(QStringLiteral("General Info"), QStringLiteral("NoOfRecords"));
    doc.hasSection(QStringLiteral("Record0"));
    // A value typed by the user: the input's tail, whatever it holds.
    const QString typed = QString::fromUtf8(bytes.right(48));
    doc.setValue(QStringLiteral("Record0"), QStringLiteral("Notes"), typed);
    doc.setValue(QStringLiteral("General Info"), QStringLiteral("DelFirstRecord"), QString());
    ProfileDocument again = ProfileDocument::parse(doc.serialize());
    if (again.value(QStringLiteral("Record0"), QStringLiteral("Notes")) != typed) std::abort();
    if (again.value(QStringLiteral("General Info"), QStringLiteral("DelFirstRecord")) != QString()) std::abort();
    if (again.value(QStringLiteral("General Info"), QStringLiteral("NoOfRecords")) != count) std::abort();
    return 0;
}
