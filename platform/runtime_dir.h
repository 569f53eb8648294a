// The folder of the machine-local sockets and locks: $KRAV_RUNTIME_DIR, else
// $XDG_RUNTIME_DIR/krav, else /tmp/krav-UID; created with mode 0700.
#pragma once

#include <string>

namespace krav {

// The folder in the filesystem's UTF-8, without a trailing "/".
std::string RuntimeDir();

}  // namespace krav
