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

// Writes [Sync] Url, Login and Interval, and, when password is not null, the
// password into "sync.pass" (mode 0600; an empty one removes the file).
// False, with error, when a file could not be written.
bool SaveSyncSettings(const std::string& dataDir, const SyncSettings& settings, const std::string* password,
                      std::string& error);

// Tries the calendar with these settings: a listing of its events. The
// answer says what happened, for the person (UTF-8); ok when it answered.
struct CheckResult {
  bool ok = false;
  std::string message;
};
CheckResult CheckCalendar(const SyncSettings& settings, const std::string& password);

}  // namespace krav::sync
