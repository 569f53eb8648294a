// The four functions the shell calls. Nothing thrown inside crosses into the
// shell, and the calls take turns.
#include <mutex>

#include "plugin/dorvik.h"
#include "shell/messages.h"

namespace {

krav::dorvik::DorvikState& State() {
  static krav::dorvik::DorvikState state;
  return state;
}

std::mutex& Turn() {
  static std::mutex m;
  return m;
}

template <class F>
void Guarded(F&& f) {
  try {
    std::lock_guard lock(Turn());
    f();
  } catch (...) {
    // A failed piece of work costs only itself.
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void InitIf(const char* root, int* firstCommand, int* lastCommand) {
  if (firstCommand) *firstCommand = krav::shell::kFirstCommand;
  if (lastCommand) *lastCommand = krav::shell::kLastCommand;
  Guarded([&] { krav::dorvik::Init(State(), root ? root : ""); });
}

__attribute__((visibility("default"))) void CheckIf(int counter) {
  Guarded([&] { krav::dorvik::Check(State(), counter); });
}

__attribute__((visibility("default"))) void CommandIf(int command, int parameter) {
  Guarded([&] { krav::dorvik::Command(State(), command, parameter); });
}

__attribute__((visibility("default"))) void FreeIf(void) {
  Guarded([] { krav::dorvik::Free(State()); });
}

}  // extern "C"
