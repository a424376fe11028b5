#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The one door through which the program asks for file names. Tests queue the names the "user"
// picks with setNextFileName (an empty name cancels) and read back what was asked.
class FileDialog {
public:
    enum class Mode {
        OpenExisting, // the file must exist
        Create,       // any name in an existing folder; replacing a file is confirmed
        Save,         // any name in an existing folder; replacing a file is confirmed
    };

    struct Request {
        Mode mode = Mode::OpenExisting;
        QString caption;
        QString initialPath;
        QStringList filters;   // "All (*)" style; the first is preselected
        QString defaultSuffix; // added when the user types none
    };

    // The chosen path, or an empty string when the user cancelled.
    static QString getFileName(QWidget* parent, const Request& request);

    static void setScripted(bool scripted);
    static void setNextFileName(const QString& path);
    static const QList<Request>& requests();
    static void resetScript();
};
