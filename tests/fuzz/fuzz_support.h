// Shared pieces of the fuzz targets: one scratch root per process, and a
// check that stops the run when an invariant is broken.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"

namespace krav::fuzz {

// A root directory made once per process, with the user "u", removed when
// the run ends (a run stopped by a broken invariant leaves it to look at).
inline const std::string& ScratchRoot() {
  static const std::string* root = [] {
    char tmpl[] = "/tmp/krav-fuzz-XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    if (!made) std::abort();
    auto* r = new std::string(std::string(made) + "/");
    ForceDir(*r + "Users/u/Plan");
    ForceDir(*r + "Temp");
    return r;
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(*root, ec);
  }) == 0;
  (void)removedAtExit;
  return *root;
}

inline std::string UserDir() { return ScratchRoot() + "Users/u/"; }

#define KRAV_FUZZ_CHECK(cond)                                                            \
  do {                                                                                   \
    if (!(cond)) {                                                                       \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

}  // namespace krav::fuzz
