#pragma once
#include "profile/cached_profile.h"

#include <QFileInfo>
#include <QStringList>

// The real profile layer, with every write noted as "file|section|key=value"
// (the file without its folder), so tests can check the order of writes.
class RecordingProfile final : public tessaly::profile::ProfileAccess {
public:
    QString read(const QString& f, const QString& s, const QString& k) override { return real.read(f, s, k); }
    void write(const QString& f, const QString& s, const QString& k, const QString& v) override {
        writes << QFileInfo(f).fileName() + u'|' + s + u'|' + k + u'=' + v;
        real.write(f, s, k, v);
    }
    bool hasSection(const QString& f, const QString& s) override { return real.hasSection(f, s); }
    void beginOperation() override { real.beginOperation(); }
    void endOperation() override { real.endOperation(); }
    void beginBulk() override { real.beginBulk(); }
    void endBulk() override { real.endBulk(); }
    void flushPending() override { real.flushPending(); }
    void discardPending() override { real.discardPending(); }

    tessaly::profile::CachedProfile real;
    QStringList writes;
};
