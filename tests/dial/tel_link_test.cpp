#include "dial/tel_link.h"
#include "../support/qt_print.h"

#include <gtest/gtest.h>

using namespace tessaly::dial;

namespace {

TEST(TelLink, keepsTheNumberAndRefusesAnythingElse) {
    struct Case {
        const char* name;
        QString link;
        QString number;  // empty: refused
    } cases[] = {
        {"global", "tel:+4930123", "+4930123"},
        {"scheme in capitals", "TEL:+4930123", "+4930123"},
        {"visual separators", "tel:+1-(555).123-4567", "+1-(555).123-4567"},
        {"encoded blanks", "tel:+49%2030%20123", "+49 30 123"},
        {"encoded plus", "tel:%2B4930123", "+4930123"},
        {"parameters dropped", "tel:+4930123;ext=55;isub=1", "+4930123"},
        {"local with context", "tel:7042;phone-context=example.com", "7042"},
        {"star and hash", "tel:*31#0301234", "*31#0301234"},
        {"slashes some pages write", "tel://+4930123", "+4930123"},
        {"letters", "tel:1-800-FLOWERS", ""},
        {"plus inside", "tel:030+123", ""},
        {"encoded semicolon", "tel:0301%3B23", ""},
        {"encoded line feed", "tel:0301%0A23", ""},
        {"shell characters", "tel:0301$(id)", ""},
        {"broken escape", "tel:0301%2", ""},
        {"escape not hex", "tel:0301%+1", ""},
        {"no digits", "tel:+--", ""},
        {"empty", "tel:", ""},
        {"only parameters", "tel:;ext=1", ""},
        {"too long", "tel:" + QString(70, u'1'), ""},
        {"other scheme", "sip:alice@example.com", ""},
        {"invalid UTF-8", "tel:030%FF", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TelLink link = ParseTelLink(c.link);
        EXPECT_EQ(link.number, c.number);
        EXPECT_EQ(link.ok(), !c.number.isEmpty()) << link.error.toStdString();
    }
}

}  // namespace
