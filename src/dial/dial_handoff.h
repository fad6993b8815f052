#pragma once
#include <QString>
#include <QStringList>

namespace tessaly::dial {

// How the program dials: the modem on a serial port, the desktop's phone
// program (a tel: link), or a command of the user's.
enum class DialVia { Modem, PhoneHandler, Command };
// The stored choice: "Phone" and "Command"; anything else is the modem.
DialVia DialViaFrom(const QString& stored);

// The digits of a number, with its leading + kept ("+44 (20) 7946-0958" → "+442079460958").
QString DialDigits(const QString& number);

// A command's arguments with %N (the number as shown, trimmed), %n (DialDigits)
// and %% put in; the number is never split or read by a shell, so each
// argument that names it stays one argument. Empty when the command is.
QStringList DialCommandLine(const QString& command, const QString& number);

// The desktop file of the program that takes tel: links, or empty when none is set.
QString PhoneHandler();
// Our own desktop file takes tel: links to open Dial; handing a number to it would come straight back.
inline const QString kOwnDesktopFile = QStringLiteral("org.tessaly.Tessaly.desktop");
inline const QString kOwnHandlerText = QStringLiteral(
    "Tessaly itself is the desktop's program for phone calls (tel: links), so it cannot hand a number on.");

// The result of handing a number over: done, and the program's name or why not.
struct HandOff {
    bool done = false;
    QString text;
};
// Opens tel:DIGITS, only once a program is registered for it: opening a link
// reports success even when nothing handles it.
HandOff CallThroughHandler(const QString& number);
// Starts the user's command (not waited for).
HandOff RunDialCommand(const QString& command, const QString& number);

}  // namespace tessaly::dial
