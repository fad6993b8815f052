#pragma once
#include "backup/card_backup.h"

#include <functional>
#include <optional>

// What a backup or a restore threw, or nothing when it was made.
inline std::optional<tessaly::store::BackupFailed> FailureOf(const std::function<void()>& copy) {
    try {
        copy();
    } catch (const tessaly::store::BackupFailed& failed) {
        return failed;
    }
    return std::nullopt;
}

// How a backup or a restore failed, or nothing when it was made.
inline std::optional<tessaly::store::CopyOutcome> OutcomeOf(const std::function<void()>& copy) {
    const std::optional<tessaly::store::BackupFailed> failed = FailureOf(copy);
    if (!failed) return std::nullopt;
    return failed->outcome;
}
