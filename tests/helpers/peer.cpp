// Another process for the message and mutex tests.
//   test_peer window FILE   owns a message window, writes its handle to FILE,
//                           appends each message to FILE.log, quits on 9999
//   test_peer mutex NAME FILE   holds the named mutex, writes FILE, waits for
//                           FILE to disappear
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "platform/instance.h"
#include "platform/messages.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  if (mode == "window") {
    const std::string file = argv[2];
    bool quit = false;
    krav::MessageWindow w([&](int msg, std::int64_t wp, std::int64_t lp) {
      if (msg == 9999) quit = true;
      if (msg == 7777) ::usleep(300 * 1000);  // a slow handler
      krav::AppendLogLine(file + ".log",
                          std::to_string(msg) + " " + std::to_string(wp) + " " + std::to_string(lp));
    });
    if (!w.valid()) return 1;
    krav::CaptionRegistration caption("Peer window", w.handle());
    (void)krav::SaveBytes(file, std::to_string(w.handle()));
    for (int i = 0; i < 600 && !quit; ++i) w.waitAndDispatch(100);
    return 0;
  }
  if (mode == "mutex" && argc == 4) {
    krav::NamedMutex m(argv[2]);
    (void)krav::SaveBytes(argv[3], m.owned() ? "owned" : "busy");
    for (int i = 0; i < 600 && krav::FileExists(argv[3]); ++i) ::usleep(10 * 1000);
    return 0;
  }
  return 2;
}
