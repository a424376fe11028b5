#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;

// "New Login" (a name and its password, typed twice) or "New Token" (a name alone) for the
// gateway. OK takes only a name the settings can keep, that no other login or token of the
// same kind has, and for a login a password typed the same twice; otherwise it says why.
class GatewayCredentialDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Login, Token };

    GatewayCredentialDialog(Kind kind, QStringList takenNames, QWidget* parent = nullptr);

    QString name() const;
    // As typed, for making the stored hash; the caller clears it once that is made.
    QByteArray password() const;
    void clearPassword();

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* repeatEdit() const { return repeat_; }

public slots:
    void accept() override;

private:
    // The first thing wrong with the entries, with the field to fix; nothing when OK may close.
    std::optional<std::pair<QString, QLineEdit*>> problem() const;

    Kind kind_;
    QStringList takenNames_;
    QLineEdit* name_;
    QLineEdit* password_;
    QLineEdit* repeat_;
};
