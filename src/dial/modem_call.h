#pragma once
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <chrono>

namespace tessaly::dial {

// How a dial attempt ended.
enum class Outcome {
    PickUp,      // the modem dialed and reported no fault: the user takes the handset, then HangUp()
    Busy,        // the modem answered BUSY
    NoDialTone,  // the modem answered NO DIALTONE
    Cancelled,   // the user stopped the attempt
    CannotOpen,  // the port could not be opened
    PortLost,    // the port failed or vanished during the attempt
};

// The text sent to dial: "AT", the method ("DT" tone, "DP" pulse), the number
// and a carriage return. Only printable ASCII of the number is sent, so a
// number can never end the command early or carry another one.
QByteArray DialCommand(const QString& method, const QString& number);

// One dial attempt with a Hayes modem on a serial port (9600 8N1). The port is
// open only during the attempt; every ending hangs up ("ATH") and closes it,
// except PickUp: the modem holds the line until the user has the handset and
// the caller calls HangUp().
// The modem's answer is gathered across reads, so an answer that arrives in
// pieces is still recognised; the echo of the dial command is ignored.
class ModemCall : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kPickUpAfter{10000};
    explicit ModemCall(QString device, std::chrono::milliseconds pickUpAfter = kPickUpAfter, QObject* parent = nullptr);
    ~ModemCall() override;

    // Opens the port and sends the dial command; the ending arrives as finished().
    // False (and finished(CannotOpen)) when the port cannot be opened.
    bool Start(const QString& method, const QString& number);
    // Ends a running attempt: hangs up and reports Cancelled. Does nothing when idle.
    void Cancel();
    // Lets go of the line after PickUp (and of any attempt, without a report).
    void HangUp();
    bool Running() const { return port_.isOpen() && !holding_; }
    QString ErrorText() const { return errorText_; }

signals:
    void finished(tessaly::dial::Outcome outcome);

private:
    void ReadAnswer();
    void PortError(QSerialPort::SerialPortError error);
    void Finish(Outcome outcome);

    QSerialPort port_{this};
    QTimer pickUpTimer_{this};
    QByteArray echo_;
    QByteArray answer_;
    QString errorText_;
    bool holding_ = false;  // PickUp was reported; the line waits for HangUp()
};

}  // namespace tessaly::dial
