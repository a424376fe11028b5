#pragma once

#include <QString>

// Who is at the console: the operator (no flag), the administrator or maintenance. At most one
// flag is set. The level is not stored; every run starts at the operator level.
class AccessLevel {
public:
    enum Level { Operator, Administrator, Maintenance };

    Level level() const
    {
        return maintenance_ ? Maintenance : administrator_ ? Administrator : Operator;
    }
    bool isMaintenance() const { return maintenance_; }
    bool isAnyLevel() const { return maintenance_ || administrator_; }

    // Checks an entered password against the two of the database; maintenance wins when both
    // match. False when the password matched neither and no level is set (the operator is told).
    bool login(const QString& entered, const QString& administratorPassword,
               const QString& maintenancePassword);
    void logout() { maintenance_ = administrator_ = false; }

private:
    bool maintenance_ = false;
    bool administrator_ = false;
};
