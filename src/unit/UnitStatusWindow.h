#pragma once

#include <QDialog>
#include <QTimer>

class BlockExchange;
class Channel;
class QLabel;

// "Status": asks the unit for its status text every 500 ms and shows the last one received.
// OK while a request is under way closes once that request is over.
class UnitStatusWindow : public QDialog {
    Q_OBJECT
public:
    explicit UnitStatusWindow(Channel& port, QWidget* parent = nullptr);
    ~UnitStatusWindow() override;

    QString text() const;
    bool isRequestRunning() const { return request_ != nullptr; }

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
};
