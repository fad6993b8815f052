#pragma once
#include <gtest/gtest.h>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>

// Compares bytes with the golden file tests/data/RELATIVE line by line (so a difference names its
// line), then as a whole (line ends and the last line end count too). TESSALY_WRITE_GOLDEN=1 writes
// the file afresh instead; read every difference before committing one.
inline void ExpectGolden(const QString& relative, const QByteArray& actual) {
    const QString path = QStringLiteral(TESSALY_TESTDATA "/") + relative;
    SCOPED_TRACE(qPrintable(relative));
    if (qEnvironmentVariableIsSet("TESSALY_WRITE_GOLDEN")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly)) << qPrintable(path);
        out.write(actual);
        return;
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QByteArray golden = in.readAll();
    const QList<QByteArray> want = golden.split('\n'), got = actual.split('\n');
    for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
        EXPECT_EQ(got[i].toStdString(), want[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(got.size(), want.size()) << "lines";
    EXPECT_TRUE(actual == golden) << "the bytes differ";
}
