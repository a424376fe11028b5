#include "GatewaySettings.h"

#include "SettingsStore.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QList<Credential> credentialsFrom(const std::optional<QString>& text)
{
    QList<Credential> credentials;
    if (!text)
        return credentials;
    // One a line: the name, a tab, the stored hash. A line that does not read is left out, so
    // that a damaged entry opens nothing.
    for (const QString& line : text->split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (parts.size() != 2 || !GatewaySettings::isLoginName(parts.at(0)))
            continue;
        if (std::optional<Credential> credential = Credential::fromStored(parts.at(0), parts.at(1)))
            credentials.append(*credential);
    }
    return credentials;
}

QString credentialsText(const QList<Credential>& credentials)
{
    QStringList lines;
    for (const Credential& credential : credentials)
        lines.append(credential.name + u'\t' + credential.stored());
    return lines.join(u'\n');
}

} // namespace

std::optional<ListenAddress> ListenAddress::parse(const QString& text)
{
    QString host = QStringLiteral("127.0.0.1");
    QString port = text;
    if (const qsizetype colon = text.lastIndexOf(u':'); colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
        if (host.startsWith(u'[') && host.endsWith(u']'))
            host = host.mid(1, host.size() - 2);
        else if (host.contains(u':'))
            return std::nullopt; // an IPv6 address needs its brackets
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(port).hasMatch() || port.toUInt() == 0 || port.toUInt() > 65535)
        return std::nullopt;
    QHostAddress address;
    if (host == u"*")
        address = QHostAddress(QHostAddress::Any);
    else if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host))
        return std::nullopt;
    return ListenAddress{address, static_cast<quint16>(port.toUInt())};
}

QString ListenAddress::text() const
{
    if (host == QHostAddress(QHostAddress::Any))
        return QStringLiteral("*:%1").arg(port);
    if (host.protocol() == QAbstractSocket::IPv6Protocol)
        return QStringLiteral("[%1]:%2").arg(host.toString()).arg(port);
    return QStringLiteral("%1:%2").arg(host.toString()).arg(port);
}

bool ListenAddress::isLoopback() const
{
    return host.isLoopback();
}

bool GatewaySettings::isLoginName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._@-]{1,32}$"));
    return pattern.match(name).hasMatch();
}

GatewaySettings GatewaySettings::load()
{
    GatewaySettings settings;
    settings.snppOn = SettingsStore::integer(SettingsStore::GatewaySnppOn, 0) != 0;
    if (const std::optional<QString> text = SettingsStore::text(SettingsStore::GatewaySnppListen))
        settings.snpp = ListenAddress::parse(*text).value_or(settings.snpp);
    settings.httpOn = SettingsStore::integer(SettingsStore::GatewayHttpOn, 0) != 0;
    if (const std::optional<QString> text = SettingsStore::text(SettingsStore::GatewayHttpListen))
        settings.http = ListenAddress::parse(*text).value_or(settings.http);
    settings.certificateFile =
        SettingsStore::text(SettingsStore::GatewayCertificateFile).value_or(QString());
    settings.keyFile = SettingsStore::text(SettingsStore::GatewayKeyFile).value_or(QString());
    settings.connectAtStart = SettingsStore::integer(SettingsStore::GatewayConnectAtStart, 0) != 0;
    settings.logins = credentialsFrom(SettingsStore::text(SettingsStore::GatewayLogins));
    settings.tokens = credentialsFrom(SettingsStore::text(SettingsStore::GatewayTokens));
    return settings;
}

bool GatewaySettings::save() const
{
    SettingsStore::setInteger(SettingsStore::GatewaySnppOn, snppOn ? 1 : 0);
    SettingsStore::setText(SettingsStore::GatewaySnppListen, snpp.text());
    SettingsStore::setInteger(SettingsStore::GatewayHttpOn, httpOn ? 1 : 0);
    SettingsStore::setText(SettingsStore::GatewayHttpListen, http.text());
    SettingsStore::setText(SettingsStore::GatewayCertificateFile, certificateFile);
    SettingsStore::setText(SettingsStore::GatewayKeyFile, keyFile);
    SettingsStore::setInteger(SettingsStore::GatewayConnectAtStart, connectAtStart ? 1 : 0);
    SettingsStore::setText(SettingsStore::GatewayLogins, credentialsText(logins));
    SettingsStore::setText(SettingsStore::GatewayTokens, credentialsText(tokens));
    return SettingsStore::isSaved();
}
