#pragma once

#include <QDialog>

#include <memory>

class Channel;
class ConfigurationImage;
class ImageTransfer;
class QLabel;
class QProgressBar;
class QPushButton;

// "Transferring...": moves the configuration image to the unit (type 2) or from it (type 3)
// as soon as it is shown. It closes only on the outcome: accepted when the block was confirmed,
// rejected on failure or when the user aborts (Abort or Esc).
class TransferWindow : public QDialog {
    Q_OBJECT
public:
    TransferWindow(Channel& port, ConfigurationImage& image, uint8_t type,
                   QWidget* parent = nullptr);
    ~TransferWindow() override;

    QProgressBar* progressBar() const { return progress_; }
    QPushButton* abortButton() const { return abort_; }
    // Before the window is shown.
    void setAnswerTimeout(int ms);

public slots:
    // Esc and Abort: give up; the window closes once the transfer has stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void finish(bool completed);

    std::unique_ptr<ImageTransfer> transfer_;
    QProgressBar* progress_;
    QLabel* text_;
    QPushButton* abort_;
    bool started_ = false;
    bool finished_ = false;
};
