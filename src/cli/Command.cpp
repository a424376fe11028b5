#include "Command.h"

#include "CliFiles.h"

#include <algorithm>

namespace {

// Where the descriptions start in the help, after the usage lines.
constexpr int DescriptionColumn = 27;
// A continued usage line starts under the command's arguments.
const QString UsageContinuation = QStringLiteral("\n         ");

} // namespace

bool hasOption(const QList<QCommandLineOption>& options, const QCommandLineOption& option)
{
    return std::any_of(options.begin(), options.end(),
                       [&](const QCommandLineOption& o) { return o.names() == option.names(); });
}

QString CommandDeclaration::usage() const
{
    const QStringList usageLines = arguments.split(u'\n');
    QString text = QStringLiteral("  ") + name;
    if (!usageLines.first().isEmpty())
        text += u' ' + usageLines.first();
    for (const QString& line : usageLines.mid(1))
        text += UsageContinuation + line;
    const QString indent(DescriptionColumn, u' ');
    const QStringList descriptionLines = description.split(u'\n');
    // A short usage has its description beside it, a longer one below.
    if (usageLines.size() == 1 && text.size() < DescriptionColumn - 1)
        text = text.leftJustified(DescriptionColumn) + descriptionLines.first();
    else
        text += u'\n' + indent + descriptionLines.first();
    for (const QString& line : descriptionLines.mid(1))
        text += u'\n' + indent + line;
    return text + u'\n';
}

int CommandDeclaration::showHelp() const
{
    const QByteArray text = "Usage: tavolux-cli " + usage().trimmed().toUtf8() +
                            "\n\nThe unit commands also take --port DEV and --timeout SECONDS; "
                            "the exit codes: tavolux-cli --help\n";
    return CliFiles::writeStandardOutput(text) && CliFiles::closeStandardOutput()
               ? Cli::Success
               : Cli::FileProblem;
}
