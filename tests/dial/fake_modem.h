#pragma once
// A Hayes modem played by the test on a pseudo-terminal: the conversation opens
// its device as a serial port; the test reads what it sent and answers.
#include <QByteArray>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

class FakeModem {
public:
    FakeModem() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        device_ = QString::fromLocal8Bit(ptsname(master_));
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        // The modem's own hold on the line: without it the master reads EIO whenever the port is closed.
        line_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
        termios raw{};
        tcgetattr(line_, &raw);
        cfmakeraw(&raw);
        tcsetattr(line_, TCSANOW, &raw);
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char buffer[256];
            for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;) received_.append(buffer, n);
            if (waiting_ && received_.endsWith(tail_)) waiting_->quit();
        });
    }
    ~FakeModem() { Unplug(); }

    bool Ready() const { return line_ >= 0; }
    QString Device() const { return device_; }
    QByteArray Received() const { return received_; }
    // Runs the event loop until everything received ends with `tail` (a stuck conversation fails after 5 s).
    bool WaitFor(const QByteArray& tail) {
        if (received_.endsWith(tail)) return true;
        QEventLoop loop;
        QTimer deadline;
        QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { loop.exit(1); });
        deadline.start(5000);
        waiting_ = &loop, tail_ = tail;
        const bool heard = loop.exec() == 0;
        waiting_ = nullptr;
        return heard;
    }
    void Say(const QByteArray& text) { (void)!::write(master_, text.constData(), text.size()); }
    // The device goes away, as a USB modem pulled out does.
    void Unplug() {
        notifier_.reset();
        if (master_ >= 0) ::close(master_);
        if (line_ >= 0) ::close(line_);
        master_ = line_ = -1;
    }

private:
    int master_ = -1;
    int line_ = -1;
    QString device_;
    QByteArray received_;
    QEventLoop* waiting_ = nullptr;
    QByteArray tail_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
