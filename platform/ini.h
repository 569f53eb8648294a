// Settings files in the manner of the private-profile calls: every call
// opens the file, reads or writes, and closes it. Sections and keys match
// without regard to letter case (Latin and Cyrillic); values are cp1251
// bytes and come back unchanged. A missing file or key gives the default.
#pragma once

#include <string>

#include "platform/files.h"

namespace krav {

std::string ReadIniString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& def);
// ReadIniString for a value an operation cannot do without: false when the
// file exists but cannot be read, so that the operation fails instead of
// going on with the default.
[[nodiscard]] bool ReadIniStringChecked(const std::string& path, const std::string& section,
                                        const std::string& key, const std::string& def, std::string& value);
// Keeps every other section, key and comment; goes through a temporary file.
// False, leaving the file as it was, when the file exists but cannot be read
// or holds a line that is no section, key or comment (a damaged file), or
// when the value holds a line break. A value with a blank or tab at either
// end, or in quotes itself, is written in quotes, so that ReadIniString
// gives it back exactly (it takes a pair of quotes around a value off).
// False too when the settings file's lock could not be taken in time.
[[nodiscard]] bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                                  const std::string& value);

// True when the file is missing, or can be read and every line of it is a
// section, a key or a comment: a file that WriteIniString would write.
bool IniFileIntact(const std::string& path);

// A decimal integer; a value that is not one gives the default.
int ReadIniInt(const std::string& path, const std::string& section, const std::string& key, int def);
[[nodiscard]] bool WriteIniInt(const std::string& path, const std::string& section, const std::string& key, int value);

// Any non-zero integer is true; missing or non-numeric gives the default.
bool ReadIniBool(const std::string& path, const std::string& section, const std::string& key, bool def);
// Written as 1 or 0.
[[nodiscard]] bool WriteIniBool(const std::string& path, const std::string& section, const std::string& key, bool value);

// The lines name=value of a section, in file order.
Lines ReadIniSection(const std::string& path, const std::string& section);

}  // namespace krav
