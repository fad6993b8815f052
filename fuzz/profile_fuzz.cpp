// libFuzzer target: any bytes as a profile file. Parsing, reading, writing and
// serialising must not crash, and a written value must read back exactly,
// without changing any other key, however the file around it looks.
#include "profile/profile_document.h"

#include <QString>
#include <cstdlib>

using tessaly::profile::ProfileDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ProfileDocument doc = ProfileDocument::parse(bytes);
    const auto count = doc.value(QStringLiteral("General Info"), QStringLiteral("NoOfRecords"));
    doc.hasSection(QStringLiteral("Record0"));
    // A value typed by the user: the input's tail, whatever it holds.
    const QString typed = QString::fromUtf8(bytes.right(48));
    doc.setValue(QStringLiteral("Record0"), QStringLiteral("Notes"), typed);
    doc.setValue(QStringLiteral("General Info"), QStringLiteral("DelFirstRecord"), QString());
    const ProfileDocument again = ProfileDocument::parse(doc.serialize());
    if (again.value(QStringLiteral("Record0"), QStringLiteral("Notes")) != typed) std::abort();
    if (again.value(QStringLiteral("General Info"), QStringLiteral("DelFirstRecord")) != QString()) std::abort();
    if (again.value(QStringLiteral("General Info"), QStringLiteral("NoOfRecords")) != count) std::abort();
    return 0;
}
