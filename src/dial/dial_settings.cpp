#include "dial_settings.h"

#include "cards/card_layout.h"
#include "profile/profile_access.h"
#include "shell/preferences.h"

#include <QSerialPort>

namespace tessaly::dial {

DialSettings ReadDialSettings(profile::ProfileAccess& profile, const QString& file) {
    profile::ProfileOperation op(profile);
    DialSettings s;
    // The port is an 8-bit number; anything outside that range is no port.
    const std::int64_t port =
        store::LeadingNumber(profile.read(file, shell::prefs::Section, QStringLiteral("CommPort")));
    s.CommPort = port >= 0 && port <= 255 ? static_cast<int>(port) : 0;
    s.DialSystem = profile.read(file, shell::prefs::Section, QStringLiteral("DialSystem")).trimmed().toUpper();
    if (s.CommPort >= 1 && s.CommPort <= shell::kComPortCount) s.Device = shell::PortDevice(profile, file, s.CommPort);
    s.Via = DialViaFrom(profile.read(file, shell::prefs::Section, shell::prefs::DialVia));
    s.Command = profile.read(file, shell::prefs::Section, shell::prefs::DialCommand);
    return s;
}

PortCheck CheckPortSettings(const DialSettings& settings, QString* errorText) {
    if (settings.DialSystem != u"DT" && settings.DialSystem != u"DP") return PortCheck::WrongMethod;
    if (settings.CommPort < 1 || settings.CommPort > shell::kComPortCount) return PortCheck::WrongPort;
    QSerialPort port(settings.Device);
    if (!port.open(QIODevice::ReadWrite)) {
        if (errorText) *errorText = port.errorString();
        return PortCheck::CannotOpen;
    }
    port.close();
    return PortCheck::Ok;
}

PortCheck CheckDialSettings(const DialSettings& settings) {
    switch (settings.Via) {
        case DialVia::PhoneHandler: {
            const QString handler = PhoneHandler();
            if (handler.isEmpty()) return PortCheck::NoPhoneHandler;
            return handler == kOwnDesktopFile ? PortCheck::OwnPhoneHandler : PortCheck::Ok;
        }
        case DialVia::Command:
            return settings.Command.trimmed().isEmpty() ? PortCheck::NoCommand : PortCheck::Ok;
        case DialVia::Modem:
            break;
    }
    return CheckPortSettings(settings);
}

}  // namespace tessaly::dial
