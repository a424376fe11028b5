#include "AccessLevel.h"

bool AccessLevel::login(const QString& entered, const QString& administratorPassword,
                        const QString& maintenancePassword)
{
    if (entered == administratorPassword) {
        administrator_ = true;
        maintenance_ = false;
    }
    if (entered == maintenancePassword) {
        maintenance_ = true;
        administrator_ = false;
    }
    return isAnyLevel();
}
