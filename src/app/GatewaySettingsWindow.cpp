#include "GatewaySettingsWindow.h"

#include "Credentials.h"
#include "FileDialog.h"
#include "GatewayCredentialDialog.h"
#include "MessageBox.h"
#include "ModalRunner.h"
#include "PageHistory.h"
#include "SettingsStore.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QStringList namesOf(const QList<Credential>& credentials)
{
    QStringList names;
    for (const Credential& credential : credentials)
        names << credential.name;
    return names;
}

bool listensEverywhere(const ListenAddress& address)
{
    return address.host == QHostAddress(QHostAddress::Any) ||
           address.host == QHostAddress(QHostAddress::AnyIPv4) ||
           address.host == QHostAddress(QHostAddress::AnyIPv6);
}

// Two listeners that would take the same connections: only one of them could open.
bool sharePort(const ListenAddress& one, const ListenAddress& other)
{
    return one.port == other.port &&
           (one.host == other.host || listensEverywhere(one) || listensEverywhere(other));
}

// The token goes nowhere but this field: the settings keep only its hash.
void showNewToken(QWidget* parent, const QString& name, const QByteArray& token)
{
    QDialog window(parent);
    window.setWindowTitle(GatewaySettingsWindow::tr("New Token"));
    auto* explanation = new QLabel(
        GatewaySettingsWindow::tr("The token for %1 is shown only this once: copy it now. It "
                                  "works once the gateway settings are saved with OK.")
            .arg(name),
        &window);
    explanation->setWordWrap(true);
    auto* field = new QLineEdit(QString::fromLatin1(token), &window);
    field->setReadOnly(true);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(field->text()) + 16);
    field->selectAll();
    auto* buttons = new QDialogButtonBox(&window);
    buttons->addButton(GatewaySettingsWindow::tr("&Close"), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &window, &QDialog::accept);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(explanation);
    layout->addWidget(field);
    layout->addWidget(buttons);
    WindowPlacement::widenForTitle(window);
    field->setFocus();
    ModalRunner::run(window);
}

} // namespace

GatewaySettingsWindow::GatewaySettingsWindow(const GatewaySettings& settings, QWidget* parent)
    : QDialog(parent)
    , settings_(settings)
    , snppOn_(new QCheckBox(tr("&Take pages by SNPP"), this))
    , snppAddress_(new QLineEdit(settings.snpp.text(), this))
    , httpOn_(new QCheckBox(tr("Take pages by &HTTP"), this))
    , httpAddress_(new QLineEdit(settings.http.text(), this))
    , certificate_(new QLineEdit(settings.certificateFile, this))
    , key_(new QLineEdit(settings.keyFile, this))
    , connectAtStart_(new QCheckBox(tr("Connect to the unit at &start-up"), this))
    , keepDays_(new QSpinBox(this))
    , loginList_(new QListWidget(this))
    , tokenList_(new QListWidget(this))
    , removeLogin_(new QPushButton(tr("&Remove"), this))
    , removeToken_(new QPushButton(tr("Re&move"), this))
    , warning_(new QLabel(this))
{
    setWindowTitle(tr("Gateway Settings"));
    snppOn_->setChecked(settings.snppOn);
    httpOn_->setChecked(settings.httpOn);
    connectAtStart_->setChecked(settings.connectAtStart);
    keepDays_->setRange(0, MaxKeepDays);
    keepDays_->setSpecialValueText(tr("for ever"));
    keepDays_->setSuffix(tr(" days"));
    keepDays_->setValue(
        SettingsStore::integer(SettingsStore::HistoryKeepDays, PageHistory::DefaultKeepDays));
    auto* keeping = new QHBoxLayout;
    auto* keepingCaption = new QLabel(tr("Keep page history &for:"), this);
    keepingCaption->setBuddy(keepDays_);
    keeping->addWidget(keepingCaption);
    keeping->addWidget(keepDays_);
    keeping->addStretch(1);
    const QString addressHint =
        tr("HOST:PORT, [IPv6]:PORT or a port alone (on this machine only); * listens on every "
           "address");
    for (QLineEdit* address : {snppAddress_, httpAddress_})
        address->setToolTip(addressHint);

    auto* snpp = new QGroupBox(tr("SNPP"), this);
    auto* snppForm = new QFormLayout(snpp);
    snppForm->addRow(snppOn_);
    snppForm->addRow(tr("&Listen on:"), snppAddress_);

    auto* http = new QGroupBox(tr("HTTP"), this);
    auto* httpForm = new QFormLayout(http);
    httpForm->addRow(httpOn_);
    httpForm->addRow(tr("Listen o&n:"), httpAddress_);
    auto fileRow = [this, httpForm](const QString& label, QLineEdit* field, const QString& browse) {
        auto* row = new QHBoxLayout;
        row->addWidget(field, 1);
        auto* button = new QPushButton(browse, this);
        row->addWidget(button);
        httpForm->addRow(label, row);
        if (auto* caption = qobject_cast<QLabel*>(httpForm->labelForField(row)))
            caption->setBuddy(field);
        return button;
    };
    connect(fileRow(tr("Cert&ificate file:"), certificate_, tr("&Browse...")),
            &QPushButton::clicked, this, &GatewaySettingsWindow::chooseCertificate);
    connect(fileRow(tr("Ke&y file:"), key_, tr("Bro&wse...")), &QPushButton::clicked, this,
            &GatewaySettingsWindow::chooseKey);
    auto* httpsHint = new QLabel(tr("HTTPS with both (PEM files); plain HTTP with neither."), this);
    httpsHint->setWordWrap(true);
    httpForm->addRow(QString(), httpsHint);

    // Logins on the left, tokens on the right, each with its buttons under it.
    auto* access = new QGridLayout;
    auto credentialColumn = [&](int column, const QString& title, QListWidget* list,
                                QPushButton* add, QPushButton* remove) {
        auto* caption = new QLabel(title, this);
        caption->setBuddy(list);
        access->addWidget(caption, 0, column);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMinimumHeight(list->fontMetrics().height() * 5);
        access->addWidget(list, 1, column);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addStretch(1);
        access->addLayout(buttons, 2, column);
        connect(list, &QListWidget::itemSelectionChanged, this,
                [list, remove] { remove->setEnabled(!list->selectedItems().isEmpty()); });
    };
    auto* addLogin = new QPushButton(tr("&Add..."), this);
    auto* createToken = new QPushButton(tr("Cr&eate..."), this);
    credentialColumn(0, tr("Lo&gins (SNPP):"), loginList_, addLogin, removeLogin_);
    credentialColumn(1, tr("To&kens (HTTP):"), tokenList_, createToken, removeToken_);
    connect(addLogin, &QPushButton::clicked, this, &GatewaySettingsWindow::addLogin);
    connect(removeLogin_, &QPushButton::clicked, this, &GatewaySettingsWindow::removeLogin);
    connect(createToken, &QPushButton::clicked, this, &GatewaySettingsWindow::createToken);
    connect(removeToken_, &QPushButton::clicked, this, &GatewaySettingsWindow::removeToken);

    warning_->setWordWrap(true);
    QPalette warningColours = warning_->palette();
    warningColours.setColor(QPalette::WindowText, QColor(0xa0, 0x20, 0x20));
    warning_->setPalette(warningColours);
    for (QCheckBox* box : {snppOn_, httpOn_})
        connect(box, &QCheckBox::toggled, this, &GatewaySettingsWindow::showWarning);
    for (QLineEdit* address : {snppAddress_, httpAddress_})
        connect(address, &QLineEdit::textChanged, this, &GatewaySettingsWindow::showWarning);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(snpp);
    layout->addWidget(http);
    layout->addWidget(connectAtStart_);
    layout->addLayout(keeping);
    layout->addLayout(access);
    layout->addWidget(warning_);
    layout->addWidget(buttons);
    setMinimumWidth(480);
    WindowPlacement::widenForTitle(*this);
    showCredentials();
}

void GatewaySettingsWindow::showCredentials()
{
    auto fill = [](QListWidget* list, const QList<Credential>& credentials, QPushButton* remove) {
        list->clear();
        list->addItems(namesOf(credentials));
        remove->setEnabled(false);
    };
    fill(loginList_, settings_.logins, removeLogin_);
    fill(tokenList_, settings_.tokens, removeToken_);
    showWarning();
}

// A listener on an address other machines reach refuses them all until they have a way in:
// said before OK, where it can still be mended.
void GatewaySettingsWindow::showWarning()
{
    QStringList lines;
    auto reachable = [](const QCheckBox* on, const QLineEdit* address) {
        const std::optional<ListenAddress> parsed = ListenAddress::parse(address->text().trimmed());
        return on->isChecked() && parsed && !parsed->isLoopback();
    };
    if (reachable(snppOn_, snppAddress_) && settings_.logins.isEmpty())
        lines << tr("SNPP refuses every page from another machine until a login is added.");
    if (reachable(httpOn_, httpAddress_) && settings_.tokens.isEmpty())
        lines << tr("HTTP refuses every page from another machine until a token is created.");
    warning_->setText(lines.join(u'\n'));
    warning_->setVisible(!lines.isEmpty());
}

void GatewaySettingsWindow::addLogin()
{
    GatewayCredentialDialog dialog(GatewayCredentialDialog::Kind::Login, namesOf(settings_.logins),
                                   this);
    if (ModalRunner::run(dialog) != QDialog::Accepted)
        return;
    // The slow key derivation takes a noticeable moment, on purpose.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    settings_.logins.append(Credentials::makeLogin(dialog.name(), dialog.password()));
    QApplication::restoreOverrideCursor();
    dialog.clearPassword();
    showCredentials();
}

void GatewaySettingsWindow::createToken()
{
    GatewayCredentialDialog dialog(GatewayCredentialDialog::Kind::Token, namesOf(settings_.tokens),
                                   this);
    if (ModalRunner::run(dialog) != QDialog::Accepted)
        return;
    const Credentials::NewToken token = Credentials::makeToken(dialog.name());
    settings_.tokens.append(token.stored);
    showCredentials();
    showNewToken(this, dialog.name(), token.token);
}

void GatewaySettingsWindow::removeLogin()
{
    const int row = loginList_->currentRow();
    if (row < 0 || loginList_->selectedItems().isEmpty())
        return;
    settings_.logins.removeAt(row);
    showCredentials();
}

void GatewaySettingsWindow::removeToken()
{
    const int row = tokenList_->currentRow();
    if (row < 0 || tokenList_->selectedItems().isEmpty())
        return;
    settings_.tokens.removeAt(row);
    showCredentials();
}

void GatewaySettingsWindow::chooseCertificate()
{
    chooseFile(certificate_, tr("Certificate File"));
}

void GatewaySettingsWindow::chooseKey()
{
    chooseFile(key_, tr("Key File"));
}

void GatewaySettingsWindow::chooseFile(QLineEdit* field, const QString& caption)
{
    const QString path =
        FileDialog::getFileName(this, {FileDialog::Mode::OpenExisting,
                                       caption,
                                       field->text(),
                                       {tr("PEM files (*.pem *.crt *.key)"), tr("All Files (*)")},
                                       {}});
    if (!path.isEmpty())
        field->setText(path);
}

std::optional<GatewaySettings> GatewaySettingsWindow::checkedFields()
{
    auto refuse = [this](const QString& text, QLineEdit* field) {
        MessageBox::warning(this, text);
        field->setFocus();
        field->selectAll();
        return std::nullopt;
    };
    GatewaySettings chosen = settings_;
    chosen.snppOn = snppOn_->isChecked();
    chosen.httpOn = httpOn_->isChecked();
    chosen.connectAtStart = connectAtStart_->isChecked();
    const std::optional<ListenAddress> snpp = ListenAddress::parse(snppAddress_->text().trimmed());
    if (!snpp)
        return refuse(tr("The SNPP address \"%1\" is not one to listen on. Give HOST:PORT "
                         "(127.0.0.1:4444), [IPv6]:PORT ([::1]:4444), *:PORT for every address, or "
                         "a port alone (1 to 65535).")
                          .arg(snppAddress_->text()),
                      snppAddress_);
    const std::optional<ListenAddress> http = ListenAddress::parse(httpAddress_->text().trimmed());
    if (!http)
        return refuse(tr("The HTTP address \"%1\" is not one to listen on. Give HOST:PORT "
                         "(127.0.0.1:4480), [IPv6]:PORT ([::1]:4480), *:PORT for every address, or "
                         "a port alone (1 to 65535).")
                          .arg(httpAddress_->text()),
                      httpAddress_);
    chosen.snpp = *snpp;
    chosen.http = *http;
    if (chosen.snppOn && chosen.httpOn && sharePort(chosen.snpp, chosen.http))
        return refuse(tr("SNPP and HTTP cannot both listen on port %1.").arg(chosen.http.port),
                      httpAddress_);
    const QString certificate = certificate_->text().trimmed();
    const QString key = key_->text().trimmed();
    if (certificate.isEmpty() != key.isEmpty())
        return refuse(tr("HTTPS needs both a certificate file and a key file; leave both empty "
                         "for plain HTTP."),
                      certificate.isEmpty() ? certificate_ : key_);
    for (QLineEdit* field : {certificate_, key_}) {
        const QString path = field->text().trimmed();
        const QFileInfo file(path);
        if (!path.isEmpty() && !(file.isFile() && file.isReadable()))
            return refuse(tr("%1 cannot be read.").arg(path), field);
    }
    // A path typed relative to where the console runs now must name the same file when the
    // console or serve starts somewhere else.
    auto absolute = [](const QString& path) {
        return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
    };
    chosen.certificateFile = absolute(certificate);
    chosen.keyFile = absolute(key);
    return chosen;
}

void GatewaySettingsWindow::accept()
{
    const std::optional<GatewaySettings> chosen = checkedFields();
    if (!chosen)
        return;
    if (!chosen->save()) {
        MessageBox::warning(this, tr("The gateway settings could not be saved."));
        return;
    }
    SettingsStore::setInteger(SettingsStore::HistoryKeepDays, keepDays_->value());
    settings_ = *chosen;
    QDialog::accept();
}
