#include "ModalRunner.h"

#include <QDialog>

ModalRunner::Driver& ModalRunner::driver()
{
    static Driver installed;
    return installed;
}

void ModalRunner::setDriver(Driver driver)
{
    ModalRunner::driver() = std::move(driver);
}

int ModalRunner::run(QDialog& dialog)
{
    if (!driver())
        return dialog.exec();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    driver()(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}
