#pragma once

#include "ReportingCommand.h"

// report pagers|groups|alarms DBFILE: the report as tab-separated text, to stdout or a file.
class ReportCommand : public ReportingCommand {
public:
    ReportCommand();

protected:
    std::optional<QString> checkOwnOptions(const QCommandLineParser& parser) override;
    std::optional<int> refuseOutput(const QStringList& inputs) const override;
    int deliver(QList<ReportRow> rows) const override;

private:
    bool includeHeader_ = false;
    std::optional<int> limit_;
    QString output_;
};
