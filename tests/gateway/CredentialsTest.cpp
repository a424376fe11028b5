#include "Credentials.h"
#include "GatewaySettings.h"

#include <gtest/gtest.h>

TEST(Credentials, LoginsAreSaltedAndCheckedWholly)
{
    const Credential login = Credentials::makeLogin(QStringLiteral("desk"), "s3cret");
    const Credential again = Credentials::makeLogin(QStringLiteral("desk"), "s3cret");
    EXPECT_NE(login.salt, again.salt);
    EXPECT_NE(login.hash, again.hash);
    EXPECT_FALSE(login.stored().contains(QLatin1String("s3cret")));

    const QList<Credential> logins{login};
    EXPECT_TRUE(Credentials::verifyLogin(logins, QStringLiteral("desk"), "s3cret"));
    for (const QByteArray& wrong : {QByteArray("s3cre"), QByteArray("s3cret "), QByteArray()})
        EXPECT_FALSE(Credentials::verifyLogin(logins, QStringLiteral("desk"), wrong)) << wrong.data();
    EXPECT_FALSE(Credentials::verifyLogin(logins, QStringLiteral("Desk"), "s3cret"));
    EXPECT_FALSE(Credentials::verifyLogin({}, QStringLiteral("desk"), "s3cret"));

    const std::optional<Credential> read = Credential::fromStored(login.name, login.stored());
    ASSERT_TRUE(read);
    EXPECT_TRUE(Credentials::matches(*read, "s3cret"));
}

TEST(Credentials, TokensAreStoredHashedAndAnyOfThemOpens)
{
    const Credentials::NewToken first = Credentials::makeToken(QStringLiteral("pos"));
    const Credentials::NewToken second = Credentials::makeToken(QStringLiteral("kds"));
    EXPECT_EQ(first.token.size(), 43);
    EXPECT_NE(first.token, second.token);
    EXPECT_FALSE(first.stored.stored().contains(QString::fromLatin1(first.token)));
    const QList<Credential> tokens{first.stored, second.stored};
    EXPECT_TRUE(Credentials::verifyToken(tokens, first.token));
    EXPECT_TRUE(Credentials::verifyToken(tokens, second.token));
    EXPECT_FALSE(Credentials::verifyToken(tokens, first.token.chopped(1)));
    EXPECT_FALSE(Credentials::verifyToken({}, first.token));
    // A login's stored hash is no token.
    const Credential login = Credentials::makeLogin(QStringLiteral("desk"), first.token);
    EXPECT_FALSE(Credentials::verifyToken({login}, first.token));
}

TEST(Credentials, DamagedOrWeakenedStoredValuesOpenNothing)
{
    const QString good = Credentials::makeLogin(QStringLiteral("desk"), "pw").stored();
    const QStringList parts = good.split(u'$');
    for (const QString& stored :
         {QString(), QStringLiteral("plain"), parts.mid(0, 3).join(u'$'),
          QStringList{parts[0], QStringLiteral("1000"), parts[2], parts[3]}.join(u'$'),
          QStringList{parts[0], QStringLiteral("99999999999"), parts[2], parts[3]}.join(u'$'),
          QStringList{parts[0], parts[1], QStringLiteral("!!"), parts[3]}.join(u'$'),
          QStringList{parts[0], parts[1], parts[2], QStringLiteral("AAAA")}.join(u'$'),
          QStringLiteral("sha256$AAAA")})
        EXPECT_FALSE(Credential::fromStored(QStringLiteral("desk"), stored)) << stored.toStdString();
}

TEST(ListenAddress, ReadsWhatAUserTypes)
{
    struct Case {
        const char* text;
        const char* host; // nullptr: refused
        quint16 port;
    };
    const Case cases[] = {
        {"4444", "127.0.0.1", 4444},
        {"127.0.0.1:4444", "127.0.0.1", 4444},
        {"localhost:80", "127.0.0.1", 80},
        {"0.0.0.0:4444", "0.0.0.0", 4444},
        {"[::1]:4444", "::1", 4444},
        {"*:4444", "any", 4444},
        {"::1:4444", nullptr, 0},
        {"127.0.0.1:0", nullptr, 0},
        {"127.0.0.1:65536", nullptr, 0},
        {"127.0.0.1:+44", nullptr, 0},
        {"example.com:44", nullptr, 0},
        {"", nullptr, 0},
        {"127.0.0.1:", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<ListenAddress> address = ListenAddress::parse(QString::fromLatin1(c.text));
        if (!c.host) {
            EXPECT_FALSE(address);
            continue;
        }
        ASSERT_TRUE(address);
        EXPECT_EQ(address->port, c.port);
        if (QByteArrayView(c.host) == "any")
            EXPECT_EQ(address->host, QHostAddress(QHostAddress::Any));
        else
            EXPECT_EQ(address->host, QHostAddress(QString::fromLatin1(c.host)));
        EXPECT_EQ(ListenAddress::parse(address->text())->host, address->host);
    }
}
