#include "file_faults.h"

namespace tessaly::profile {
namespace {
FaultHook& Hook() {
    static FaultHook hook;
    return hook;
}
}  // namespace

void SetFaultHook(FaultHook hook) {
    Hook() = std::move(hook);
}

bool InjectedFault(FileStep step, const QString& file) {
    return Hook() && Hook()(step, file);
}

}  // namespace tessaly::profile
