// Appends N one-time records tagged TAG to a user's store, one save each.
// Usage: test_append_records ROOT USER TAG N
#include <string>

#include "engine/store.h"
#include "engine/text.h"
#include "shell/paths.h"

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string dir = krav::shell::DataDir(argv[1], argv[2]);
  const int n = std::stoi(argv[4]);
  for (int i = 0; i < n; ++i) {
    const std::string line =
        krav::OneTimeReminder("08.12.2026", "10:00", std::string(argv[3]) + "-" + std::to_string(i));
    if (!krav::AppendLines(dir, krav::shell::StoreFile(dir), {line})) return 1;
  }
  return 0;
}
