#pragma once

#include <QJsonObject>

class Database;

// The whole database as JSON: every pager and group in use, the common messages, function keys,
// alarms, reminders and unit settings under their field names, and the display names.
// checksumMatched is the file's verdict: its stored checksum against the bytes as read, before
// any repair of out-of-range values changed them.
QJsonObject dumpDatabase(const Database& database, bool checksumMatched);
