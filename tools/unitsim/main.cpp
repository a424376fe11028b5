// tavolux-unitsim: a Tavolux unit on a pseudo-terminal, for tests and demonstrations.
#include "SimulatorOptions.h"
#include "UnitSimulator.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

volatile std::sig_atomic_t powerSignal = 0;

void onPowerSignal(int)
{
    powerSignal = 1;
}

volatile std::sig_atomic_t stopSignal = 0;

void onSignal(int)
{
    stopSignal = 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavolux-unitsim"));

    std::variant<UnitSimulator::Options, int> read = readOptions(app);
    if (const int* refused = std::get_if<int>(&read))
        return *refused;
    UnitSimulator::Options& options = std::get<UnitSimulator::Options>(read);
    options.powerSwitch = [] {
        return powerSignal != 0;
    };

    UnitSimulator unit(options);
    QString error;
    if (!unit.open(&error)) {
        std::fprintf(stderr, "tavolux-unitsim: %s\n", qPrintable(error));
        return 2;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGUSR1, onPowerSignal);
    std::printf("tavolux-unitsim: unit on %s (%s), listening at %u baud\n",
                qPrintable(options.linkPath.isEmpty() ? unit.slaveName() : options.linkPath),
                qPrintable(unit.slaveName()), options.speed);
    std::fflush(stdout);
    return unit.serve([] { return stopSignal != 0; });
}
