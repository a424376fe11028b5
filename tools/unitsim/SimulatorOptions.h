#pragma once

#include "UnitSimulator.h"

#include <variant>

class QCoreApplication;

// The simulator's command line, read into its options. --help and an unknown option end the
// program as QCommandLineParser does; a value it cannot use is said on stderr and gives the exit
// code instead of options, so that a mistyped value never passes as 0 and quietly changes a test.
std::variant<UnitSimulator::Options, int> readOptions(const QCoreApplication& app);
