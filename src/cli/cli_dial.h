#pragma once
#include <QStringList>
#include <QTextStream>

namespace tessaly::profile {
class ProfileAccess;
}
namespace tessaly::store {
class CardStore;
}

namespace tessaly::cli {

// Exit codes of dial beside the common ones: the line was busy, or had no dial tone.
enum DialExitCode { LineBusy = 5, NoDialTone = 6 };

// dial [--port DEVICE|COMn] [--method DT|DP] [--wait SECONDS] (NUMBER | --card N [--field Phone1|Phone2|Fax]):
// one attempt with the modem; prints "pick up", "busy", "no dial tone" or "cannot open port".
// The port and method default to the preferences'.
int DialCommand(store::CardStore& store, profile::ProfileAccess& profile, const QStringList& args, QTextStream& out);

}  // namespace tessaly::cli
