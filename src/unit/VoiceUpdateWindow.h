#pragma once

#include <QDialog>

#include <memory>

class BlockExchange;
class Channel;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// "Voice Update": the language's six prompts from the program's start-up folder, sent as one
// block of type 5. Accepted once the unit has confirmed the block, rejected when it failed or
// the user cancelled (a transfer under way is stopped first).
class VoiceUpdateWindow : public QDialog {
    Q_OBJECT
public:
    VoiceUpdateWindow(Channel& port, const QString& folder, QWidget* parent = nullptr);
    ~VoiceUpdateWindow() override;

    void setAnswerTimeout(int ms) { answerTimeoutMs_ = ms; }
    bool isSending() const { return exchange_ != nullptr; }
    QComboBox* languageList() const { return languages_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* okButton() const { return ok_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* cancelButton() const { return cancel_; }

public slots:
    void sendPrompts();
    void reject() override;

private:
    void finish(bool completed);

    Channel& port_;
    QString folder_;
    int answerTimeoutMs_;
    std::unique_ptr<BlockExchange> exchange_;
    QComboBox* languages_;
    QProgressBar* progress_;
    QLabel* status_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
