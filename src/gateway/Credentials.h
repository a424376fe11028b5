#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A login or a token the gateway accepts, as stored: never the secret itself. A password is
// kept as a salted hash made with a slow key derivation (PBKDF2 with HMAC-SHA256), so that a
// copied settings file gives away no password; a token, 256 random bits that no one can guess,
// as its SHA-256 (iterations 0, no salt).
struct Credential {
    QString name;
    QByteArray salt;
    QByteArray hash;
    int iterations = 0;

    // "pbkdf2-sha256$ITERATIONS$SALT$HASH" or "sha256$HASH" (base64), as the settings file
    // keeps it.
    QString stored() const;
    static std::optional<Credential> fromStored(const QString& name, const QString& stored);
};

namespace Credentials {

inline constexpr int Iterations = 120000;

// A login: a fresh salt and the slow hash of password under it.
Credential makeLogin(const QString& name, const QByteArray& password);
// Compares in constant time: how long it takes says nothing of how much of the secret matched.
bool matches(const Credential& credential, const QByteArray& secret);
// The login named name, checked against password; an unknown name costs as much time as a
// known one, so that timing tells no one which names exist.
bool verifyLogin(const QList<Credential>& logins, const QString& name, const QByteArray& password);

// A new bearer token (32 random bytes, base64url without padding), to show the user once, and
// what is stored of it.
struct NewToken {
    QByteArray token;
    Credential stored;
};
NewToken makeToken(const QString& name);
// Any stored token matches.
bool verifyToken(const QList<Credential>& tokens, const QByteArray& token);
// The name of the stored token that matches, if any.
std::optional<QString> tokenName(const QList<Credential>& tokens, const QByteArray& token);

} // namespace Credentials
