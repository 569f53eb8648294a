// Shared pieces of the fuzz targets: one scratch root per process, and a
// check that stops the run when an invariant is broken.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace krav::fuzz {

// A root directory made once per process, with the user "u".
inline const std::string& ScratchRoot() {
  static const std::string root = [] {
    char tmpl[] = "/tmp/krav-fuzz-XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    if (!made) std::abort();
    std::string r = std::string(made) + "/";
    ForceDir(r + "Users/u/Plan");
    ForceDir(r + "Temp");
    return r;
  }();
  return root;
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
