// Linked into each program with mimalloc (see tessaly_fast_allocator).
#include <mimalloc.h>

namespace {
// Freed memory stays with the program for a while before it goes back to the
// system: a load, sort or import that follows another soon after would
// otherwise fault every page in again.
const bool kFreedMemoryKept = [] {
    mi_option_set(mi_option_decommit_delay, 10'000);
    mi_option_set(mi_option_segment_decommit_delay, 10'000);
    return true;
}();
}  // namespace
