#include "Gateway.h"

#include "HttpGateway.h"
#include "SnppServer.h"

Gateway::Gateway(UnitSession& session, const ConfigurationImage& image, QObject* parent)
    : QObject(parent)
    , desk_(session, image)
{}

Gateway::~Gateway() = default;

QStringList Gateway::apply(const GatewaySettings& settings)
{
    close();
    QStringList problems;
    if (settings.snppOn) {
        snpp_ = std::make_unique<SnppServer>(desk_, settings);
        if (const std::optional<QString> problem = snpp_->listen(settings.snpp)) {
            problems << QStringLiteral("SNPP on %1: %2").arg(settings.snpp.text(), *problem);
            snpp_.reset();
        }
    }
    if (settings.httpOn) {
        http_ = std::make_unique<HttpGateway>(desk_, settings);
        if (const std::optional<QString> problem = http_->listen(settings.http)) {
            problems << QStringLiteral("HTTP on %1: %2").arg(settings.http.text(), *problem);
            http_.reset();
        }
    }
    return problems;
}

void Gateway::close()
{
    snpp_.reset();
    http_.reset();
}

quint16 Gateway::snppPort() const
{
    return snpp_ ? snpp_->port() : 0;
}

quint16 Gateway::httpPort() const
{
    return http_ ? http_->port() : 0;
}
