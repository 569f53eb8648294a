#include "platform/ini.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // Debian's header keeps the templates behind this
#include <SimpleIni.h>

#include <algorithm>
#include <charconv>
#include <list>

#include "platform/encoding.h"
#include "platform/file_lock.h"

namespace krav {
namespace {

// Case-insensitive ordering of cp1251 names.
struct Cp1251NoCase {
  bool operator()(const char* a, const char* b) const {
    for (; *a && *b; ++a, ++b) {
      const auto la = static_cast<unsigned char>(Cp1251Lower(*a));
      const auto lb = static_cast<unsigned char>(Cp1251Lower(*b));
      if (la != lb) return la < lb;
    }
    return *b != 0;
  }
};

using Ini = CSimpleIniTempl<char, Cp1251NoCase, SI_ConvertA<char>>;

void Configure(Ini& ini) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  ini.SetMultiLine(false);
  ini.SetQuotes(false);
  ini.SetSpaces(false);
}

bool Load(const std::string& path, Ini& ini) {
  Configure(ini);
  std::string bytes;
  if (!LoadBytes(path, bytes)) return false;
  return ini.LoadData(bytes.data(), bytes.size()) >= 0;
}

// True when every line of a settings text is one the parser keeps: blank, a
// comment, a section header or name=value. A text with any other line (or a
// NUL byte, where the parser would stop) was not read whole, and writing it
// back would lose what was not read.
bool ReadsWhole(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) return false;
  // The parser ends a line at CR as well as at LF.
  std::size_t pos = 0;
  while (pos <= bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.find(']') == std::string_view::npos) return false;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) return false;
  }
  return true;
}

bool ParseInt(const std::string& text, int& value) {
  std::string_view s = text;
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && p == s.data() + s.size();
}

// The lock of a settings file's read-modify-write: a hidden file beside it,
// ".<name>.lock", that stays so that every writer locks the same file.
std::string IniLockPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, name) + "." + path.substr(name) + ".lock";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A value the parser would change on reading (blanks at either end are cut,
// a pair of quotes around it is taken off) is written between quotes.
bool NeedsQuotes(const std::string& v) {
  if (v.empty()) return false;
  return IsBlank(v.front()) || IsBlank(v.back()) || (v.size() >= 2 && v.front() == '"' && v.back() == '"');
}

}  // namespace

namespace {

std::string ValueIn(const Ini& ini, const std::string& section, const std::string& key, const std::string& def) {
  const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
  if (!v) return def;
  std::string value(v);
  // As the private-profile calls read it: a pair of quotes around a value is taken off.
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& def) {
  Ini ini;
  if (!Load(path, ini)) return def;
  return ValueIn(ini, section, key, def);
}

bool ReadIniStringChecked(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& def, std::string& value) {
  std::string bytes;
  if (!LoadBytesForUpdate(path, bytes)) return false;
  Ini ini;
  Configure(ini);
  if (ini.LoadData(bytes.data(), bytes.size()) < 0) return false;
  value = ValueIn(ini, section, key, def);
  return true;
}

bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
  // A line break would end the value and start a line the file cannot hold.
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
  FileLock lock(IniLockPath(path));
  if (!lock.held()) return false;
  // A file that exists but cannot be read, or holds lines the parser would
  // drop, is never written over.
  std::string bytes;
  if (!LoadBytesForUpdate(path, bytes) || !ReadsWhole(bytes)) return false;
  Ini ini;
  Configure(ini);
  if (ini.LoadData(bytes.data(), bytes.size()) < 0) return false;
  const std::string stored = NeedsQuotes(value) ? "\"" + value + "\"" : value;
  if (ini.SetValue(section.c_str(), key.c_str(), stored.c_str()) < 0) return false;
  std::string out;
  if (ini.Save(out) < 0) return false;
  return SaveBytes(path, out);
}

bool IniFileIntact(const std::string& path) {
  std::string bytes;
  return LoadBytesForUpdate(path, bytes) && ReadsWhole(bytes);
}

int ReadIniInt(const std::string& path, const std::string& section, const std::string& key, int def) {
  int value = 0;
  return ParseInt(ReadIniString(path, section, key, ""), value) ? value : def;
}

bool WriteIniInt(const std::string& path, const std::string& section, const std::string& key, int value) {
  return WriteIniString(path, section, key, std::to_string(value));
}

bool ReadIniBool(const std::string& path, const std::string& section, const std::string& key, bool def) {
  return ReadIniInt(path, section, key, def ? 1 : 0) != 0;
}

bool WriteIniBool(const std::string& path, const std::string& section, const std::string& key, bool value) {
  return WriteIniString(path, section, key, value ? "1" : "0");
}

Lines ReadIniSection(const std::string& path, const std::string& section) {
  Lines out;
  Ini ini;
  if (!Load(path, ini)) return out;
  Ini::TNamesDepend keys;
  if (!ini.GetAllKeys(section.c_str(), keys)) return out;
  keys.sort(Ini::Entry::LoadOrder());
  for (const auto& k : keys) {
    const char* v = ini.GetValue(section.c_str(), k.pItem, "");
    out.push_back(std::string(k.pItem) + "=" + v);
  }
  return out;
}

}  // namespace krav
