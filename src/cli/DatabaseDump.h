#pragma once

#include <QJsonObject>

class Database;

// The whole database as JSON: every pager and group in use, the common messages, function keys,
// alarms, reminders and unit settings under their field names, and the display names.
QJsonObject dumpDatabase(const Database& database);
