// A root directory as the shell keeps it, with a message window of this
// process standing in for the shell's window.
#pragma once

#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/ini.h"
#include "platform/messages.h"
#include "support.h"

namespace krav::test {

struct ShellStandIn {
  TempRoot t;
  std::string runtime;
  std::vector<std::string> messages;  // "MSG WPARAM LPARAM" as received
  std::unique_ptr<MessageWindow> window;

  ShellStandIn() {
    runtime = t.root() + "run";
    ::setenv("KRAV_RUNTIME_DIR", runtime.c_str(), 1);
    window = std::make_unique<MessageWindow>([this](int m, std::int64_t w, std::int64_t l) {
      messages.push_back(std::to_string(m) + " " + std::to_string(w) + " " + std::to_string(l));
    });
    const std::string ini = t.root() + "krav2000.ini";
    EXPECT_TRUE(WriteIniString(ini, "Users", "Active", t.user()));
    EXPECT_TRUE(WriteIniString(ini, "Main", "Handle", std::to_string(window->handle())));
  }
  ~ShellStandIn() {
    window.reset();
    ::unsetenv("KRAV_RUNTIME_DIR");
  }
  std::string shellIni() const { return t.root() + "krav2000.ini"; }
  std::string userIni() const { return t.data("krav2000.ini"); }
  // The messages that arrived by now.
  std::vector<std::string> received() {
    while (window->waitAndDispatch(50) > 0) {
    }
    auto out = messages;
    messages.clear();
    return out;
  }
};

}  // namespace krav::test
