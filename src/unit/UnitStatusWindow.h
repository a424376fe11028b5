#pragma once

#include <QDialog>
#include <QTimer>

class BlockExchange;
class Channel;
class QLabel;

// "Status": asks the unit for its status text every 500 ms and shows the last one received.
// OK while a request is under way closes once that request is over. An answer against the
// protocol (a bad checksum) is said and asked for again; a unit that has gone quiet or a line
// that is gone (the user has been told) closes the window, as asking again and again would only
// repeat the same message.
class UnitStatusWindow : public QDialog {
    Q_OBJECT
public:
    explicit UnitStatusWindow(Channel& port, QWidget* parent = nullptr);
    ~UnitStatusWindow() override;

    QString text() const;
    bool isRequestRunning() const { return request_ != nullptr; }
    // The unit fell silent or the line was lost: the console must go offline.
    bool requestFailed() const { return requestFailed_; }
    void setAnswerTimeout(int ms) { answerTimeoutMs_ = ms; }

public slots:
    void accept() override;
    void reject() override;

private:
    void ask();
    void endRequest();

    Channel& port_;
    QLabel* text_;
    QTimer timer_;
    BlockExchange* request_ = nullptr;
    bool closeRequested_ = false;
    bool requestFailed_ = false;
    int answerTimeoutMs_;
};
