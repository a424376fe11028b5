#pragma once

#include "ChildProcess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTest>

#include <optional>

// Clients that others wrote, as a site's systems page through the gateway: Perl's Net::SNPP and
// curl. Each runs as a process of its own while the caller's event loop serves the gateway (it
// may be in this process), and is killed when it has not ended in time.
namespace GatewayClients {

struct Run {
    int exitCode = -1; // -2: killed after the time-out
    QByteArray out;
    QByteArray err;
};

inline Run run(const QString& program, const QStringList& arguments, int timeoutMs = 60000)
{
    ChildProcess child(program, arguments);
    Run result;
    if (!child.started())
        return result;
    std::optional<int> code;
    static_cast<void>(QTest::qWaitFor(
        [&] { return (code = child.exitCodeIfEnded()).has_value(); }, timeoutMs));
    if (!code)
        child.kill();
    result.exitCode = code.value_or(-2);
    result.out = child.standardOutput();
    result.err = child.standardError();
    return result;
}

// A port nobody listens on now.
inline quint16 freePort()
{
    QTcpServer probe;
    static_cast<void>(probe.listen(QHostAddress::LocalHost, 0));
    return probe.serverPort();
}

// Net::SNPP's send to the pagers with the text; exit code 0 when the gateway answered 250.
inline Run snppPage(quint16 port, const QStringList& pagers, const QString& text)
{
    static const char* const script = R"perl(
use strict;
use warnings;
use Net::SNPP;
my ($port, $text, @pagers) = @ARGV;
my $snpp = Net::SNPP->new('127.0.0.1', Port => $port, Timeout => 30)
    or die "no connection: $@\n";
$snpp->send(Pager => \@pagers, Message => $text)
    or die 'send: ' . $snpp->code . ' ' . $snpp->message;
$snpp->quit;
)perl";
    return run(QStringLiteral("/usr/bin/perl"),
               QStringList{QStringLiteral("-e"), QString::fromLatin1(script),
                           QString::number(port), text} +
                   pagers);
}

// curl's POST of the JSON body to /pages, or its GET of /status without one; out ends with the
// status code on a line of its own.
inline Run curl(quint16 port, const QString& path, const std::optional<QJsonObject>& body = {})
{
    QStringList arguments{QStringLiteral("--silent"), QStringLiteral("--max-time"),
                          QStringLiteral("30"), QStringLiteral("--write-out"),
                          QStringLiteral("\n%{http_code}")};
    if (body)
        arguments << QStringLiteral("--json")
                  << QString::fromUtf8(QJsonDocument(*body).toJson(QJsonDocument::Compact));
    arguments << QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    return run(QStringLiteral("/usr/bin/curl"), arguments);
}

} // namespace GatewayClients
