// libFuzzer target: any bytes as a history of changes. Reading must not crash, hang or take
// memory without bound; whatever it reads must come back the same when written and read again.
#include "history/journal_records.h"

#include <cstdio>
#include <cstdlib>

using namespace tessaly::history;

namespace {

bool Same(const Record& a, const Record& b) {
    if (a.type != b.type || a.id != b.id || a.operation != b.operation || a.target != b.target ||
        a.timeMs != b.timeMs || a.text != b.text || !(a.file == b.file) || a.wholeSet != b.wholeSet ||
        a.kind != b.kind || a.after != b.after || a.states != b.states || a.cards.size() != b.cards.size())
        return false;
    for (qsizetype i = 0; i < a.cards.size(); ++i)
        if (a.cards[i].recNo != b.cards[i].recNo || !(a.cards[i].before == b.cards[i].before) ||
            !(a.cards[i].after == b.cards[i].after))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<Record> records;
    try {
        records = DecodeRecords(bytes);
    } catch (const JournalDamaged&) {
        return 0;
    }
    QByteArray again;
    for (const Record& r : records) again += EncodeRecord(r);
    const QList<Record> back = DecodeRecords(again);
    bool same = back.size() == records.size();
    for (qsizetype i = 0; same && i < records.size(); ++i) same = Same(records[i], back[i]);
    if (!same) {
        std::fprintf(stderr, "a history read and written again reads differently\n");
        std::abort();
    }
    return 0;
}
