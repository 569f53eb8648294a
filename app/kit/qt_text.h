// The toolkit's side of the text boundary, for the program and the host
// alike: the system keeps cp1251 byte strings, Qt shows QStrings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/encoding.h"

namespace krav::app {

inline QString FromCp1251(std::string_view text) { return QString::fromStdString(Cp1251ToUtf8(text)); }
inline std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

}  // namespace krav::app
