#include "naive_profile.h"

#include "profile/profile_document.h"

#include <QFile>

using tessaly::profile::ProfileDocument;

namespace {
ProfileDocument Load(const QString& file) {
    QFile f(file);
    return ProfileDocument::parse(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
}
}  // namespace

QString NaiveProfile::read(const QString& file, const QString& section, const QString& key) {
    return Load(file).value(section, key).value_or(QString());
}

bool NaiveProfile::hasSection(const QString& file, const QString& section) {
    return Load(file).hasSection(section);
}

void NaiveProfile::write(const QString& file, const QString& section, const QString& key, const QString& value) {
    ProfileDocument doc = Load(file);
    doc.setValue(section, key, value);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(doc.serialize()) < 0)
        throw tessaly::profile::WriteError(("Could not write " + file).toStdString());
}
