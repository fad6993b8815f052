#include "cli_dial.h"

#include "cards/card_layout.h"
#include "cards/card_store.h"
#include "cli_commands.h"
#include "cli_exchange.h"
#include "dial/dial_settings.h"
#include "dial/modem_call.h"
#include "profile/app_paths.h"
#include "profile/profile_access.h"
#include "shell/preferences.h"

#include <QEventLoop>
#include <QRegularExpression>

namespace tessaly::cli {

namespace {

struct DialRequest {
    QString port, method, number, card;
    QString field = QStringLiteral("Phone1");
    std::chrono::milliseconds wait = dial::ModemCall::kPickUpAfter;
};

// Seconds to wait for the modem's answer before saying "pick up": 0 to 600.
std::chrono::milliseconds WaitArg(const QString& text) {
    bool ok = false;
    const uint seconds = text.toUInt(&ok);
    if (!ok || seconds > 600) throw CommandFailed(BadInput, QStringLiteral("--wait takes 0 to 600 seconds"));
    return std::chrono::seconds(seconds);
}

DialRequest ParseArgs(const QStringList& args) {
    DialRequest r;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool valued = a == u"--port" || a == u"--method" || a == u"--card" || a == u"--field" || a == u"--wait";
        if (valued && i + 1 >= args.size()) throw CommandFailed(BadInput, QStringLiteral("%1 needs a value").arg(a));
        if (a == u"--port")
            r.port = args[++i];
        else if (a == u"--method")
            r.method = args[++i].trimmed().toUpper();
        else if (a == u"--card")
            r.card = args[++i];
        else if (a == u"--field")
            r.field = args[++i];
        else if (a == u"--wait")
            r.wait = WaitArg(args[++i]);
        else if (r.number.isEmpty() && !a.startsWith(u"--"))
            r.number = a;
        else
            throw CommandFailed(BadInput, QStringLiteral("Unexpected argument \"%1\"").arg(a));
    }
    if (r.number.isEmpty() == r.card.isEmpty())
        throw CommandFailed(BadInput, QStringLiteral("Give either a NUMBER or --card N"));
    return r;
}

// The number stored in a card's Phone1, Phone2 or Fax.
QString CardNumber(store::CardStore& store, profile::ProfileAccess& profile, const DialRequest& r) {
    const int fields[] = {store::Phone1, store::Phone2, store::Fax};
    const QStringList names{QStringLiteral("Phone1"), QStringLiteral("Phone2"), QStringLiteral("Fax")};
    const qsizetype which = names.indexOf(r.field);
    if (which < 0) throw CommandFailed(BadInput, QStringLiteral("--field is Phone1, Phone2 or Fax"));
    if (!store::IsRecordNumber(r.card) || !profile.hasSection(store.RecordFile(r.card), store::RecordSection(r.card)))
        throw CommandFailed(BadInput, QStringLiteral("There is no card %1").arg(r.card));
    const QString number = store.ReadCard(r.card)[fields[which]].trimmed();
    if (number.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("Card %1 has no %2").arg(r.card, r.field));
    return number;
}

// --port takes a device, or COM1..COM4 as the preferences map them.
QString Device(profile::ProfileAccess& profile, const QString& preferences, const QString& port,
               const dial::DialSettings& saved) {
    if (port.isEmpty()) {
        if (saved.Device.isEmpty()) throw CommandFailed(BadInput, QStringLiteral("No COM port is set up; give --port"));
        return saved.Device;
    }
    static const QRegularExpression com(QStringLiteral("^COM([1-4])$"), QRegularExpression::CaseInsensitiveOption);
    if (const auto m = com.match(port); m.hasMatch())
        return shell::PortDevice(profile, preferences, m.captured(1).toInt());
    return port;
}

}  // namespace

int DialCommand(store::CardStore& store, profile::ProfileAccess& profile, const QStringList& args, QTextStream& out) {
    const DialRequest r = ParseArgs(args);
    const QString preferences = store::PreferencesFile();
    const dial::DialSettings saved = dial::ReadDialSettings(profile, preferences);
    const QString method = r.method.isEmpty() ? saved.DialSystem : r.method;
    if (method != u"DT" && method != u"DP")
        throw CommandFailed(BadInput, QStringLiteral("The dialing method is DT (tone) or DP (pulse); give --method"));
    const QString device = Device(profile, preferences, r.port, saved);
    const QString number = r.number.isEmpty() ? CardNumber(store, profile, r) : r.number.trimmed();

    dial::ModemCall call(device, r.wait);
    QEventLoop loop;
    dial::Outcome outcome = dial::Outcome::CannotOpen;
    QObject::connect(&call, &dial::ModemCall::finished, &loop, [&](dial::Outcome o) {
        outcome = o;
        loop.quit();
    });
    if (call.Start(method, number)) loop.exec();
    // Whoever was to pick up has had the pick-up time: the modem lets go of the line.
    call.HangUp();
    switch (outcome) {
        case dial::Outcome::PickUp:
            out << "pick up\n";
            return Done;
        case dial::Outcome::Busy:
            out << "busy\n";
            return LineBusy;
        case dial::Outcome::NoDialTone:
            out << "no dial tone\n";
            return NoDialTone;
        case dial::Outcome::CannotOpen:
            out << "cannot open port\n";
            throw CommandFailed(WriteFailed, QStringLiteral("Cannot open %1: %2").arg(device, call.ErrorText()));
        default:
            out << "port lost\n";
            throw CommandFailed(WriteFailed,
                                QStringLiteral("%1 failed during the call: %2").arg(device, call.ErrorText()));
    }
}

}  // namespace tessaly::cli
