#pragma once

#include <functional>

class QDialog;

// Runs the editors' modal dialogs. Tests install a driver: the dialog is then shown without a
// modal loop, handed to the driver (which may click through it), and closed if it is still open,
// so that no test waits on a window nobody answers.
class ModalRunner {
public:
    using Driver = std::function<void(QDialog& dialog)>;

    // The dialog's result (QDialog::Accepted or Rejected).
    static int run(QDialog& dialog);
    static void setDriver(Driver driver);

private:
    static Driver& driver();
};
