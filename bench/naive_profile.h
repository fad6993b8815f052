#pragma once
#include "profile/profile_access.h"

// The classic platform routine, as a yardstick: every read reads and parses
// the whole file again, every write rewrites it in place.
class NaiveProfile final : public tessaly::profile::ProfileAccess {
public:
    QString read(const QString& file, const QString& section, const QString& key) override;
    void write(const QString& file, const QString& section, const QString& key, const QString& value) override;
    bool hasSection(const QString& file, const QString& section) override;
};
