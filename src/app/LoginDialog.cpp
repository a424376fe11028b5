#include "LoginDialog.h"

#include "WindowPlacement.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

LoginDialog::LoginDialog(QWidget* parent)
    : QDialog(parent)
    , password_(new QLineEdit(this))
{
    setWindowTitle(tr("Enter Password:"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setMaxLength(6);
    password_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,6}")), password_));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A window manager may not show the title, so the prompt is inside too.
    auto* prompt = new QLabel(tr("Enter Password:"), this);
    prompt->setBuddy(password_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(password_);
    layout->addWidget(buttons);
    setMinimumWidth(260);
    WindowPlacement::widenForTitle(*this);
    password_->setFocus();
}

QString LoginDialog::password() const
{
    return password_->text();
}
