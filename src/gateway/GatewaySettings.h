#pragma once

#include "Credentials.h"

#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

// Where a listener of the gateway listens.
struct ListenAddress {
    QHostAddress host;
    quint16 port = 0;

    // "HOST:PORT", "[IPv6]:PORT", or a port alone (on loopback); the host a literal address,
    // "localhost" or "*" (every address). Nothing when it is none of those or the port is 0.
    static std::optional<ListenAddress> parse(const QString& text);
    QString text() const;
    bool isLoopback() const;
};

// How the console or the headless service takes pages from a site's other systems, kept in the
// settings file's "Gateway" section. Both listeners are off until someone turns them on; on,
// they listen on loopback unless told otherwise, and any peer that is not local logs in.
struct GatewaySettings {
    // Port 444, SNPP's own, needs root; 4444 is what SNPP clients are pointed at instead.
    static constexpr quint16 DefaultSnppPort = 4444;
    static constexpr quint16 DefaultHttpPort = 4480;

    bool snppOn = false;
    ListenAddress snpp{QHostAddress(QHostAddress::LocalHost), DefaultSnppPort};
    bool httpOn = false;
    ListenAddress http{QHostAddress(QHostAddress::LocalHost), DefaultHttpPort};
    // HTTPS when both are given: PEM files.
    QString certificateFile;
    QString keyFile;
    // A gateway must not wait for someone to press Connect.
    bool connectAtStart = false;
    QList<Credential> logins;
    QList<Credential> tokens;

    static GatewaySettings load();
    // False when the settings file could not take it.
    bool save() const;

    // A login name: 1 to 32 letters, digits, '.', '_', '-' or '@'.
    static bool isLoginName(const QString& name);
};
