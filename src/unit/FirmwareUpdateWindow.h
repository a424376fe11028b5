#pragma once

#include "FirmwareLoader.h"
#include "QueuedLoaderListener.h"

#include <QDialog>
#include <QFile>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class SerialPort;

// "Update Firmware": Browse for the HEX file, Start (the user then switches the unit on), and
// Abort while the loader dialogue runs; the loader's own end closes the window too.
class FirmwareUpdateWindow : public QDialog {
    Q_OBJECT
public:
    enum class Mode { NoFile, FileChosen, Running };

    explicit FirmwareUpdateWindow(SerialPort& port, QWidget* parent = nullptr);
    ~FirmwareUpdateWindow() override;

    Mode mode() const { return mode_; }
    QLabel* statusLabel() const { return text_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* actionButton() const { return action_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    // Browse, Start or Abort, by the mode.
    void act();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void browse();
    void start();
    void stopWorker();

    SerialPort& port_;
    QFile file_;
    std::unique_ptr<QueuedLoaderListener> reports_;
    std::unique_ptr<FirmwareLoader> loader_;
    Mode mode_ = Mode::NoFile;
    QLabel* text_;
    QProgressBar* progress_;
    QPushButton* action_;
    QPushButton* cancel_;
};
