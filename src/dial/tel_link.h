#pragma once
#include <QString>

namespace tessaly::dial {

// A number taken from a tel: link (a desktop's "call" link, passed on the
// command line): the scheme and any ;parameters dropped, %XX decoded. Only a
// leading +, digits, * # and the visual separators (- . ( ) and blanks) may
// remain; anything else is refused and never dialed.
struct TelLink {
    QString number;  // as the link shows it, separators kept; empty when refused
    QString error;   // why the link was refused
    bool ok() const { return error.isEmpty(); }
};
TelLink ParseTelLink(const QString& link);

// Whether a command-line argument is a tel: link at all.
bool IsTelLink(const QString& argument);

}  // namespace tessaly::dial
