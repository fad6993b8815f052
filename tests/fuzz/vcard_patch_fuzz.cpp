// libFuzzer target: any bytes as a contact's vCard on a server. Reading and patching must not crash or
// hang; with no field changed the bytes stay as they were, and a patch for a new value of a field reads
// back as the card changed (a field emptied may show the vCard's next value for it).
#include "sync/vcard_patch.h"

#include <cstdio>
#include <cstdlib>

using namespace tessaly::store;
using namespace tessaly::sync;

namespace {

const QString kValues[] = {QString(), QStringLiteral("a, b; c\\d"), QStringLiteral("line\r\nbreak é"),
                           QStringLiteral("tel:+1 (555) 0100"), QString(90, u'ü')};

[[noreturn]] void Fail(const char* what, const QByteArray& vcard, const Card& expected, const Card& read) {
    std::fprintf(stderr, "%s\n%s\n", what, vcard.constData());
    for (int k = 0; k < kFieldCount; ++k)
        if (expected[k] != read[k])
            std::fprintf(stderr, "field %d: [%s] read [%s]\n", k, qPrintable(expected[k]), qPrintable(read[k]));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Card was = CardFromServerVCard(bytes);
    if (PatchServerVCard(bytes, was, was, QStringLiteral("u")) != bytes)
        Fail("changed without a change", bytes, was, was);
    for (int field = 0; field < kFieldCount; ++field) {
        Card now = was;
        now[field] = kValues[(field + size) % std::size(kValues)];
        // A card the vCard form cannot give back (a name of blanks, text UTF-8 cannot carry) has no exact reading.
        if (now == was || CardFromServerVCard(NewServerVCard(now, QStringLiteral("u"))) != now) continue;
        const QByteArray patched = PatchServerVCard(bytes, was, now, QStringLiteral("u"));
        const Card read = CardFromServerVCard(patched);
        for (int k = 0; k < kFieldCount; ++k)
            if (read[k] != now[k] && !(now[k].isEmpty() && read[k] != was[k]))
                Fail("read back otherwise", patched, now, read);
    }
    return 0;
}
