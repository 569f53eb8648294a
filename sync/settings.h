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

// The password: from the desktop's Secret Service when the session has one
// and it holds the password for this address and login, else from
// "sync.pass", which must belong to the user and be readable by nobody else
// (mode 0600); anything else is refused with a message naming the file.
// Empty without error when neither holds one. The Secret Service may ask the
// person to unlock it: called off a window's thread.
bool ReadSyncPassword(const std::string& dataDir, const SyncSettings& settings, std::string& password,
                      std::string& error);
// The password from "sync.pass" alone, as above.
bool ReadPasswordFile(const std::string& dataDir, std::string& password, std::string& error);

// Writes [Sync] Url, Login and Interval. False, with error, when the
// settings file could not be written.
bool SaveSyncSettings(const std::string& dataDir, const SyncSettings& settings, std::string& error);

// Keeps the password for the settings' address and login: in the Secret
// Service when the session has one (and then "sync.pass" goes), else in
// "sync.pass" (mode 0600, written whole before it is moved into place). An
// empty password removes it from both. [Sync] Keyring says where it went
// (not a secret: the page shows whether one is kept without asking for it).
// May wait for the person to unlock the keyring: called off a window's thread.
bool SaveSyncPassword(const std::string& dataDir, const SyncSettings& settings, const std::string& password,
                      std::string& error);
// Whether a password is kept, by the marks alone (never asks the keyring).
bool PasswordKept(const std::string& dataDir);

// Tries the calendar with these settings: a listing of its events. The
// answer says what happened, for the person (UTF-8); ok when it answered.
struct CheckResult {
  bool ok = false;
  std::string message;
};
CheckResult CheckCalendar(const SyncSettings& settings, const std::string& password);

}  // namespace krav::sync
