#pragma once

#include "GatewaySettings.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

// "Gateway Settings": whether the console takes pages by SNPP and by HTTP and where it listens,
// the HTTPS certificate and key, whether it connects to the unit as it starts, and the logins
// (SNPP) and tokens (HTTP) that pages from other machines need. It works on a copy; OK checks
// the addresses and files, saves and closes, Cancel drops everything, new logins and tokens
// included. No password or token is kept or shown but a new token, once, for copying.
class GatewaySettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit GatewaySettingsWindow(const GatewaySettings& settings, QWidget* parent = nullptr);

    // What OK saved; the gateway is re-applied from it.
    const GatewaySettings& settings() const { return settings_; }

    QCheckBox* snppOnBox() const { return snppOn_; }
    QLineEdit* snppAddressEdit() const { return snppAddress_; }
    QCheckBox* httpOnBox() const { return httpOn_; }
    QLineEdit* httpAddressEdit() const { return httpAddress_; }
    QLineEdit* certificateEdit() const { return certificate_; }
    QLineEdit* keyEdit() const { return key_; }
    QCheckBox* connectAtStartBox() const { return connectAtStart_; }
    // How many days the page history keeps its rows; 0 keeps them for ever.
    QSpinBox* keepDaysBox() const { return keepDays_; }
    static constexpr int MaxKeepDays = 36500;
    QListWidget* loginList() const { return loginList_; }
    QListWidget* tokenList() const { return tokenList_; }
    // Empty when every listener that takes pages from other machines has a way in.
    QLabel* warningLine() const { return warning_; }

public slots:
    void accept() override;
    void addLogin();
    void removeLogin();
    void createToken();
    void removeToken();
    void chooseCertificate();
    void chooseKey();

private:
    // The settings the fields give, or nothing once the first problem is said.
    std::optional<GatewaySettings> checkedFields();
    void showCredentials();
    void showWarning();
    void chooseFile(QLineEdit* field, const QString& caption);

    GatewaySettings settings_;
    QCheckBox* snppOn_;
    QLineEdit* snppAddress_;
    QCheckBox* httpOn_;
    QLineEdit* httpAddress_;
    QLineEdit* certificate_;
    QLineEdit* key_;
    QCheckBox* connectAtStart_;
    QSpinBox* keepDays_;
    QListWidget* loginList_;
    QListWidget* tokenList_;
    QPushButton* removeLogin_;
    QPushButton* removeToken_;
    QLabel* warning_;
};
