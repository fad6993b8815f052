#include "../support/qt_print.h"
#include "profile/profile_document.h"

#include <gtest/gtest.h>

using tessaly::profile::ProfileDocument;

// Inputs the fuzz targets found, kept so that they stay fixed.

// A note pasted from a text file that starts with a byte order mark keeps it.
TEST(FuzzFindingsTest, aValueStartingWithAZeroWidthNoBreakSpaceReadsBackExactly) {
    for (const QByteArray& file : {QByteArray(), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF")}) {
        for (const QString& typed :
             {QString(QChar(0xFEFF)), QString(QChar(0xFEFF)) + QChar(0xFEFF) + QStringLiteral("x")}) {
            SCOPED_TRACE(file.toHex().toStdString() + " " + typed.toStdString());
            ProfileDocument doc = ProfileDocument::parse(file);
            doc.setValue("Record0", "Notes", typed);
            EXPECT_EQ(ProfileDocument::parse(doc.serialize()).value("Record0", "Notes"), typed);
        }
    }
}
