// The folder of the machine-local sockets and locks: $KRAV_RUNTIME_DIR, else
// $XDG_RUNTIME_DIR/krav, else /tmp/krav-UID; created with mode 0700. A folder
// that is not the user's own, is open to others, or is a symbolic link is
// refused: another user could block the programs or replace their sockets.
#pragma once

#include <string>

namespace krav {

// The folder in the filesystem's UTF-8, without a trailing "/"; empty when
// the folder is refused or cannot be made (every socket and mutex then fails).
std::string RuntimeDir();

// RuntimeDir() + "/" + name; empty when there is no runtime folder.
std::string RuntimePath(const std::string& name);

// True when RuntimeDir() gives a folder; otherwise why saying which folder.
bool RuntimeDirUsable(std::string* why = nullptr);

}  // namespace krav
