#pragma once
#include <QString>
#include <cstdint>

namespace tessaly::profile {
class ProfileAccess;
}

namespace tessaly::dial {

// What the modem needs from the preferences: COM1..COM4 and the device it leads to,
// and the dialing method, trimmed and in upper case.
struct ModemSettings {
    int CommPort = 0;
    QString DialSystem;
    QString Device;  // empty unless CommPort is 1..4
};
ModemSettings ReadModemSettings(profile::ProfileAccess& profile, const QString& file);

// Whether the modem can be dialed, tested in this order (so a preferences file
// without either key reports the method first).
enum class PortCheck : std::int16_t { Ok = 0, WrongMethod = 1, WrongPort = 2, CannotOpen = 4 };
// Opens the port for a moment and closes it again; errorText says why it could not be opened.
PortCheck CheckPortSettings(const ModemSettings& settings, QString* errorText = nullptr);

}  // namespace tessaly::dial
