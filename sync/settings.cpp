#include "sync/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "sync/caldav.h"
#include "sync/secret.h"

namespace krav::sync {
namespace {

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

}  // namespace

std::string PasswordFile(const std::string& dataDir) { return dataDir + "sync.pass"; }

bool ReadSyncSettings(const std::string& dataDir, SyncSettings& s, std::string& error) {
  const std::string ini = shell::UserSettingsFile(dataDir);
  std::string interval, insecure;
  if (!ReadIniStringChecked(ini, "Sync", "Url", "", s.url) ||
      !ReadIniStringChecked(ini, "Sync", "Login", "", s.login) ||
      !ReadIniStringChecked(ini, "Sync", "Interval", "15", interval) ||
      !ReadIniStringChecked(ini, "Sync", "AllowInsecure", "0", insecure)) {
    error = "файл настроек " + Cp1251ToUtf8(ini) + " не читается";
    return false;
  }
  s.url = Trim(s.url);
  if (!s.url.empty() && s.url.rfind("http://", 0) != 0 && s.url.rfind("https://", 0) != 0) {
    error = "[Sync] Url должен начинаться с http:// или https://";
    return false;
  }
  interval = Trim(interval);
  const bool digits =
      !interval.empty() && interval.size() <= 6 && interval.find_first_not_of("0123456789") == std::string::npos;
  if (!digits) {
    error = "[Sync] Interval должен быть целым числом минут (0 — только вручную)";
    return false;
  }
  s.interval = std::stoi(interval);
  s.allowInsecure = Trim(insecure) == "1";
  return true;
}

bool ReadSyncPassword(const std::string& dataDir, const SyncSettings& settings, std::string& password,
                      std::string& error) {
  if (LookupSecret(settings.url, settings.login, password) == SecretStatus::Found) return true;
  return ReadPasswordFile(dataDir, password, error);
}

bool ReadPasswordFile(const std::string& dataDir, std::string& password, std::string& error) {
  password.clear();
  const std::string path = FsPath(PasswordFile(dataDir));
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    error = "файл пароля " + path + " не открывается (он должен быть обычным файлом)";
    return false;
  }
  struct stat st {};
  const bool statOk = ::fstat(fd, &st) == 0;
  if (!statOk || !S_ISREG(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
    ::close(fd);
    error = "файл пароля " + path + " должен принадлежать вам и быть закрыт для остальных (chmod 600)";
    return false;
  }
  char buf[4096];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  ::close(fd);
  if (n < 0) {
    error = "файл пароля " + path + " не читается";
    return false;
  }
  password.assign(buf, static_cast<std::size_t>(n));
  while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
  return true;
}

bool SaveSyncSettings(const std::string& dataDir, const SyncSettings& s, std::string& error) {
  const std::string ini = shell::UserSettingsFile(dataDir);
  if (!WriteIniString(ini, "Sync", "Url", s.url) || !WriteIniString(ini, "Sync", "Login", s.login) ||
      !WriteIniString(ini, "Sync", "Interval", std::to_string(s.interval))) {
    error = "файл настроек " + Cp1251ToUtf8(ini) + " не записан";
    return false;
  }
  return true;
}

bool PasswordKept(const std::string& dataDir) {
  return FileExists(PasswordFile(dataDir)) ||
         ReadIniString(shell::UserSettingsFile(dataDir), "Sync", "Keyring", "0") == "1";
}

bool SaveSyncPassword(const std::string& dataDir, const SyncSettings& s, const std::string& password,
                      std::string& error) {
  const std::string ini = shell::UserSettingsFile(dataDir);
  const std::string path = FsPath(PasswordFile(dataDir));
  auto removeFile = [&] {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      error = "файл пароля " + path + " не удалён";
      return false;
    }
    return true;
  };
  if (password.empty()) {
    ClearSecret(s.url, s.login);
    return removeFile() && WriteIniString(ini, "Sync", "Keyring", "0");
  }
  if (StoreSecret(s.url, s.login, password) == SecretStatus::Found) {
    if (!WriteIniString(ini, "Sync", "Keyring", "1")) {
      error = "файл настроек " + Cp1251ToUtf8(ini) + " не записан";
      return false;
    }
    return removeFile();
  }
  if (!WriteIniString(ini, "Sync", "Keyring", "0")) {
    error = "файл настроек " + Cp1251ToUtf8(ini) + " не записан";
    return false;
  }
  const std::string* given = &password;
  // Written whole into a new file that only the user can read, then moved
  // into place: the password is never readable by others, not for a moment.
  const std::string tmp = path + ".new";
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool ok = fd >= 0;
  if (ok) {
    const std::string text = *given + "\n";
    ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
  }
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    error = "файл пароля " + path + " не записан";
    return false;
  }
  return true;
}

CheckResult CheckCalendar(const SyncSettings& settings, const std::string& password) {
  if (settings.url.empty()) return {false, "Адрес календаря не задан."};
  HttpClient http(settings.login, password, settings.allowInsecure);
  CalendarCollection calendar(http, settings.url);
  std::vector<RemoteItem> items;
  std::string error;
  if (!calendar.list(items, error)) return {false, "Календарь не отвечает: " + error + "."};
  return {true, "Календарь отвечает: событий в нём " + std::to_string(items.size()) + "."};
}

}  // namespace krav::sync
