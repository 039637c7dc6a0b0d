#pragma once
// The two files every window works on: the master database connection and the settings file.
// Both are opened once at start-up and handed down to the windows that need them.

namespace storage {

class Connection;
class SettingsFile;

struct Stores {
    Connection& database;
    SettingsFile& settings;
};

} // namespace storage
