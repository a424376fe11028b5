#pragma once

#include "GatewaySettings.h"
#include "PageDesk.h"

#include <QObject>
#include <QStringList>

#include <memory>

class ConfigurationImage;
class HttpGateway;
class SnppServer;
class UnitSession;

// The paging gateway as the console and the headless service run it: the desk that queues
// pages from outside, and the SNPP and HTTP listeners the settings turn on.
class Gateway : public QObject {
    Q_OBJECT
public:
    Gateway(UnitSession& session, const ConfigurationImage& image, QObject* parent = nullptr);
    ~Gateway() override;

    PageDesk& desk() { return desk_; }

    // Closes the listeners and opens those the settings turn on, with their logins and tokens.
    // Returns a line for each that could not listen ("SNPP on 127.0.0.1:4444: The bound address
    // is already in use"); the others run.
    QStringList apply(const GatewaySettings& settings);
    void close();

    // The ports listened on, 0 when off: a settings port of 0 lets the system choose (tests).
    quint16 snppPort() const;
    quint16 httpPort() const;

private:
    PageDesk desk_;
    std::unique_ptr<SnppServer> snpp_;
    std::unique_ptr<HttpGateway> http_;
};
