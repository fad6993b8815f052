#include "sync_merge.h"

namespace tessaly::sync {

MergedCard MergeCard(const store::Card& base, const store::Card& here, const store::Card& server) {
    MergedCard m{here, server, base, base, {}};
    for (int f = 0; f < store::kFieldCount; ++f) {
        const QString &b = base[f], &h = here[f], &s = server[f];
        if (h == s) {
            m.base[f] = m.baseIfNotSent[f] = h;
        } else if (h == b) {
            m.here[f] = m.base[f] = m.baseIfNotSent[f] = s;
        } else if (s == b) {
            m.server[f] = m.base[f] = h;
        } else {
            m.conflicts.insert(f, s);
        }
    }
    return m;
}

}  // namespace tessaly::sync
