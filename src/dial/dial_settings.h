#pragma once
#include "dial_handoff.h"

#include <QString>
#include <cstdint>

namespace tessaly::profile {
class ProfileAccess;
}

namespace tessaly::dial {

// How to dial, from the preferences: for the modem COM1..COM4 and the device
// it leads to, and the dialing method, trimmed and in upper case.
struct DialSettings {
    DialVia Via = DialVia::Modem;
    int CommPort = 0;
    QString DialSystem;
    QString Device;  // empty unless CommPort is 1..4
    QString Command;
};
DialSettings ReadDialSettings(profile::ProfileAccess& profile, const QString& file);

// Whether the modem can be dialed, tested in this order (so a preferences file
// without either key reports the method first).
enum class PortCheck : std::int16_t {
    Ok = 0,
    WrongMethod = 1,
    WrongPort = 2,
    CannotOpen = 4,
    NoPhoneHandler = 8,
    NoCommand = 16,
    OwnPhoneHandler = 32
};
// Opens the port for a moment and closes it again; errorText says why it could not be opened.
PortCheck CheckPortSettings(const DialSettings& settings, QString* errorText = nullptr);
// The modem's check, or whether the phone program or the command is there to take the number.
PortCheck CheckDialSettings(const DialSettings& settings);

}  // namespace tessaly::dial
