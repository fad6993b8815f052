#include "modem_call.h"

namespace tessaly::dial {

namespace {
// A modem that never stops talking cannot grow the answer without end: only
// its tail is kept once it passes this size, long enough for any answer.
constexpr qsizetype kAnswerLimit = 4096;
constexpr qsizetype kAnswerTail = 64;
// How long a hang-up may take to leave for a port that has stopped taking bytes.
constexpr int kHangUpWriteMs = 500;
}  // namespace

QByteArray DialCommand(const QString& method, const QString& number) {
    QByteArray command = "AT" + method.toLatin1();
    for (const QChar c : number.trimmed())
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) command += static_cast<char>(c.unicode());
    return command + '\r';
}

ModemCall::ModemCall(QString device, std::chrono::milliseconds pickUpAfter, QObject* parent) : QObject(parent) {
    port_.setPortName(device);
    pickUpTimer_.setSingleShot(true);
    pickUpTimer_.setInterval(pickUpAfter);
    connect(&pickUpTimer_, &QTimer::timeout, this, [this] { Finish(Outcome::PickUp); });
    connect(&port_, &QSerialPort::readyRead, this, &ModemCall::ReadAnswer);
    connect(&port_, &QSerialPort::errorOccurred, this, &ModemCall::PortError);
}

ModemCall::~ModemCall() {
    // Signals are blocked: nobody listens to an attempt that is being destroyed.
    const QSignalBlocker quiet(this);
    HangUp();
}

bool ModemCall::Start(const QString& method, const QString& number) {
    if (port_.isOpen()) return false;
    errorText_.clear();
    answer_.clear();
    const QByteArray command = DialCommand(method, number);
    echo_ = command.chopped(1);
    const bool opened = port_.open(QIODevice::ReadWrite) && port_.setBaudRate(QSerialPort::Baud9600) &&
                        port_.setDataBits(QSerialPort::Data8) && port_.setParity(QSerialPort::NoParity) &&
                        port_.setStopBits(QSerialPort::OneStop);
    if (!opened) {
        errorText_ = port_.errorString();
        port_.close();
        emit finished(Outcome::CannotOpen);
        return false;
    }
    port_.clear(QSerialPort::Input);
    port_.write(command);
    pickUpTimer_.start();
    return true;
}

void ModemCall::Cancel() {
    if (Running()) Finish(Outcome::Cancelled);
}

void ModemCall::HangUp() {
    pickUpTimer_.stop();
    holding_ = false;
    if (!port_.isOpen()) return;
    port_.write("ATH\r");
    if (!port_.flush() && port_.bytesToWrite() > 0) port_.waitForBytesWritten(kHangUpWriteMs);
    port_.close();
}

void ModemCall::ReadAnswer() {
    answer_ += port_.readAll();
    if (holding_) return answer_.clear();
    QByteArray heard = answer_.toUpper();
    if (const qsizetype echoAt = heard.indexOf(echo_.toUpper()); echoAt >= 0) heard.remove(echoAt, echo_.size());
    if (heard.contains("NO DIALTONE")) return Finish(Outcome::NoDialTone);
    if (heard.contains("BUSY")) return Finish(Outcome::Busy);
    if (answer_.size() > kAnswerLimit) answer_ = answer_.right(kAnswerTail);
}

void ModemCall::PortError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !port_.isOpen()) return;
    errorText_ = port_.errorString();
    if (holding_) {
        holding_ = false;
        port_.close();
        return;
    }
    Finish(Outcome::PortLost);
}

void ModemCall::Finish(Outcome outcome) {
    pickUpTimer_.stop();
    if (!Running()) return;
    if (outcome == Outcome::PickUp) {
        holding_ = true;  // hanging up now would drop the call before the handset is off the hook
    } else if (outcome == Outcome::PortLost) {
        port_.close();
    } else {
        HangUp();
    }
    emit finished(outcome);
}

}  // namespace tessaly::dial
