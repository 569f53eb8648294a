// The synchronisation's settings: section [Sync] of the user's settings
// file, and the password, which is never kept there.
#pragma once

#include <string>

namespace krav::sync {

struct SyncSettings {
  std::string url;  // the calendar collection; no synchronisation without it
  std::string login;
  int interval = 15;  // minutes between the host's passes; 0: only by hand
  bool allowInsecure = false;
};

// False, with error, when [Sync] cannot be read or holds a value that is
// not one (Interval not a whole number of minutes, Url not http(s)).
bool ReadSyncSettings(const std::string& dataDir, SyncSettings& settings, std::string& error);

std::string PasswordFile(const std::string& dataDir);  // "sync.pass"

// The password from "sync.pass": the file must belong to the user and be
// readable by nobody else (mode 0600); anything else is refused with a
// message naming the file. Empty without error when there is no file.
bool ReadSyncPassword(const std::string& dataDir, std::string& password, std::string& error);

}  // namespace krav::sync
