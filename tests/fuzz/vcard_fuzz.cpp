// libFuzzer target: any bytes as a vCard file. Reading must not crash or hang,
// and every card read must come back unchanged when written as 3.0 and 4.0
// and read again.
#include "exchange/vcard/vcard_cards.h"
#include "exchange/vcard/vcard_writer.h"

#include <cstdio>
#include <cstdlib>

using namespace tessaly::store;

namespace {

// Text that UTF-8 cannot carry as it is (a lone surrogate from a named charset) has no exact round trip.
bool Encodable(const Card& card) {
    for (const QString& field : card)
        if (QString::fromUtf8(field.toUtf8()) != field) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const VCardCards read = CardsFromVCards(ParseVCards(bytes));
    for (const Card& card : read.cards) {
        if (!Encodable(card)) continue;
        for (VCardVersion version : {VCardVersion::V3, VCardVersion::V4}) {
            const VCardCards back = CardsFromVCards(ParseVCards(VCardText(card, version)));
            if (back.cards.size() != 1 || back.cards[0] != card || back.valuesInNotes != 0) {
                std::fprintf(stderr, "a card did not come back as it was written:\n");
                for (int k = 0; k < kFieldCount; ++k)
                    std::fprintf(stderr, "%s: [%s] -> [%s]\n", qPrintable(FieldKeys[k]),
                                 card[k].toUtf8().toPercentEncoding(" ").constData(),
                                 back.cards.value(0)[k].toUtf8().toPercentEncoding(" ").constData());
                std::abort();
            }
        }
    }
    return 0;
}
