#include "FileDialog.h"

#include <QFileDialog>
#include <QQueue>

namespace {

struct Script {
    bool scripted = false;
    QQueue<QString> names;
    QList<FileDialog::Request> requests;
};

Script& script()
{
    static Script s;
    return s;
}

} // namespace

QString FileDialog::getFileName(QWidget* parent, const Request& request)
{
    Script& s = script();
    if (s.scripted) {
        s.requests.append(request);
        return s.names.isEmpty() ? QString() : s.names.dequeue();
    }

    QFileDialog dialog(parent, request.caption, request.initialPath);
    dialog.setNameFilters(request.filters);
    if (!request.filters.isEmpty())
        dialog.selectNameFilter(request.filters.first());
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.mode == Mode::OpenExisting) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!request.initialPath.isEmpty())
        dialog.selectFile(request.initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void FileDialog::setScripted(bool scripted)
{
    script().scripted = scripted;
}

void FileDialog::setNextFileName(const QString& path)
{
    script().names.enqueue(path);
}

const QList<FileDialog::Request>& FileDialog::requests()
{
    return script().requests;
}

void FileDialog::resetScript()
{
    script().names.clear();
    script().requests.clear();
}
