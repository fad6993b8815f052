#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A temporary folder with helpers to read and write whole files byte for byte.
class TempFolder {
public:
    QString path(const QString& name = QString()) const { return dir_.path() + u'/' + name; }
    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QString& name, const QByteArray& content) const {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(content);
    }
    QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

private:
    QTemporaryDir dir_;
};

// A file or folder of tests/data (golden and third-party files), or an empty text when it is missing.
inline QString TestData(const QString& relative) {
    const QString p = QStringLiteral(TESSALY_TESTDATA "/") + relative;
    return QFile::exists(p) ? p : QString();
}
