#include "Credentials.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;
const QString LoginScheme = QStringLiteral("pbkdf2-sha256");
const QString TokenScheme = QStringLiteral("sha256");

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}

QByteArray derive(const QByteArray& secret, const QByteArray& salt, int iterations)
{
    if (iterations == 0)
        return QCryptographicHash::hash(secret, QCryptographicHash::Sha256);
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, secret, salt, iterations,
                                              HashBytes);
}

std::optional<QByteArray> fromBase64(const QString& text)
{
    auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return *decoded;
}

} // namespace

QString Credential::stored() const
{
    if (iterations == 0)
        return TokenScheme + u'$' + QString::fromLatin1(hash.toBase64());
    return QStringLiteral("%1$%2$%3$%4")
        .arg(LoginScheme)
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(hash.toBase64()));
}

std::optional<Credential> Credential::fromStored(const QString& name, const QString& stored)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() == 2 && parts.at(0) == TokenScheme) {
        const std::optional<QByteArray> hash = fromBase64(parts.at(1));
        if (!hash || hash->size() != HashBytes)
            return std::nullopt;
        return Credential{name, {}, *hash, 0};
    }
    if (parts.size() != 4 || parts.at(0) != LoginScheme)
        return std::nullopt;
    bool number = false;
    const int iterations = parts.at(1).toInt(&number);
    const std::optional<QByteArray> salt = fromBase64(parts.at(2));
    const std::optional<QByteArray> hash = fromBase64(parts.at(3));
    // A hand-edited count below the one we write would make guessing cheap; far above it,
    // checking one login would hold the gateway for seconds.
    if (!number || iterations < Credentials::Iterations ||
        iterations > 10 * Credentials::Iterations || !salt || !hash || salt->size() < SaltBytes ||
        hash->size() != HashBytes)
        return std::nullopt;
    return Credential{name, *salt, *hash, iterations};
}

namespace Credentials {

Credential makeLogin(const QString& name, const QByteArray& password)
{
    Credential credential{name, randomBytes(SaltBytes), {}, Iterations};
    credential.hash = derive(password, credential.salt, credential.iterations);
    return credential;
}

bool matches(const Credential& credential, const QByteArray& secret)
{
    const QByteArray hash = derive(secret, credential.salt, credential.iterations);
    if (hash.size() != credential.hash.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < hash.size(); ++i)
        difference |= static_cast<unsigned char>(hash[i] ^ credential.hash[i]);
    return difference == 0;
}

bool verifyLogin(const QList<Credential>& logins, const QString& name, const QByteArray& password)
{
    // Made once: a name no one has is checked against it, at the same cost.
    static const Credential nobody = makeLogin({}, randomBytes(HashBytes));
    const auto known = std::find_if(logins.begin(), logins.end(), [&name](const Credential& login) {
        return login.name == name;
    });
    const bool match = matches(known == logins.end() ? nobody : *known, password);
    return known != logins.end() && match;
}

NewToken makeToken(const QString& name)
{
    const QByteArray token =
        randomBytes(32).toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    return {token, Credential{name, {}, derive(token, {}, 0), 0}};
}

std::optional<QString> tokenName(const QList<Credential>& tokens, const QByteArray& token)
{
    // Every stored token is compared, so that the time taken tells nothing of which matched.
    std::optional<QString> name;
    for (const Credential& stored : tokens) {
        if (stored.iterations == 0 && matches(stored, token) && !name)
            name = stored.name;
    }
    return name;
}

bool verifyToken(const QList<Credential>& tokens, const QByteArray& token)
{
    return tokenName(tokens, token).has_value();
}

} // namespace Credentials
