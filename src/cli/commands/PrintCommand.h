#pragma once

#include "ReportingCommand.h"

#include <QSet>

// print pagers|groups|alarms DBFILE: the report printed as the console prints it, on a printer
// of the system or into a PDF file.
class PrintCommand : public ReportingCommand {
public:
    PrintCommand();

protected:
    std::optional<QString> checkOwnOptions(const QCommandLineParser& parser) override;
    std::optional<int> refuseOutput(const QStringList& inputs) const override;
    int deliver(QList<ReportRow> rows) const override;

private:
    QString pdf_;
    QString printer_;
    int copies_ = 1;
    std::optional<QSet<qint64>> selected_;
};
