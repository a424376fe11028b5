#include "GatewayCredentialDialog.h"

#include "GatewaySettings.h"
#include "MessageBox.h"
#include "WindowPlacement.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The longest password a login takes: the key derivation reads all of it each time.
constexpr int MaxPasswordLength = 128;

} // namespace

GatewayCredentialDialog::GatewayCredentialDialog(Kind kind, QStringList takenNames, QWidget* parent)
    : QDialog(parent)
    , kind_(kind)
    , takenNames_(std::move(takenNames))
    , name_(new QLineEdit(this))
    , password_(new QLineEdit(this))
    , repeat_(new QLineEdit(this))
{
    setWindowTitle(kind == Kind::Login ? tr("New Login") : tr("New Token"));
    name_->setMaxLength(32);
    for (QLineEdit* secret : {password_, repeat_}) {
        secret->setEchoMode(QLineEdit::Password);
        secret->setMaxLength(MaxPasswordLength);
    }
    auto* form = new QFormLayout;
    form->addRow(tr("&Name:"), name_);
    if (kind == Kind::Login) {
        form->addRow(tr("&Password:"), password_);
        form->addRow(tr("&Repeat password:"), repeat_);
    } else {
        password_->hide();
        repeat_->hide();
    }
    auto* hint = new QLabel(tr("Letters, digits, '.', '_', '-' and '@'; up to 32."), this);
    hint->setWordWrap(true);
    form->addRow(QString(), hint);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    WindowPlacement::widenForTitle(*this);
    name_->setFocus();
}

QString GatewayCredentialDialog::name() const
{
    return name_->text();
}

QByteArray GatewayCredentialDialog::password() const
{
    return password_->text().toUtf8();
}

void GatewayCredentialDialog::clearPassword()
{
    password_->clear();
    repeat_->clear();
}

std::optional<std::pair<QString, QLineEdit*>> GatewayCredentialDialog::problem() const
{
    const QString name = name_->text();
    if (!GatewaySettings::isLoginName(name))
        return std::pair{tr("A name is 1 to 32 letters, digits, '.', '_', '-' or '@'."), name_};
    if (takenNames_.contains(name))
        return std::pair{kind_ == Kind::Login ? tr("There is a login named %1 already.").arg(name)
                                              : tr("There is a token named %1 already.").arg(name),
                         name_};
    if (kind_ == Kind::Token)
        return std::nullopt;
    if (password_->text().isEmpty())
        return std::pair{tr("Please enter a password."), password_};
    if (password_->text() != repeat_->text())
        return std::pair{tr("The two passwords differ. Please type the same one twice."), repeat_};
    return std::nullopt;
}

void GatewayCredentialDialog::accept()
{
    if (const auto wrong = problem()) {
        MessageBox::warning(this, wrong->first);
        wrong->second->setFocus();
        wrong->second->selectAll();
        return;
    }
    QDialog::accept();
}
