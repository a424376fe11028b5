#pragma once

#include <QDialog>

class QLineEdit;

// "Enter Password:": a masked entry of at most six digits.
class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);
    QString password() const;
    QLineEdit* passwordEdit() const { return password_; }

private:
    QLineEdit* password_;
};
