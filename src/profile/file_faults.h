#pragma once
#include <QString>
#include <functional>

namespace tessaly::profile {

// The steps of replacing a file on disk.
enum class FileStep { Create, Write, Rename, Sync };

// Tests fail chosen steps as a full or failing disk would: the hook is asked
// before each step and returns true to make that step fail.
using FaultHook = std::function<bool(FileStep step, const QString& file)>;
void SetFaultHook(FaultHook hook);
// True when the installed hook fails this step.
bool InjectedFault(FileStep step, const QString& file);

}  // namespace tessaly::profile
