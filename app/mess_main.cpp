// mess: the planner's window. Its root directory is the folder of its own
// executable; the first argument, if any, names the page to open first.
#include <QApplication>
#include <cstdio>
#include <filesystem>

#include "app/startup.h"
#include "platform/encoding.h"
#include "platform/runtime_dir.h"

int main(int argc, char** argv) {
  if (std::string why; !krav::RuntimeDirUsable(&why)) {
    std::fprintf(stderr, "mess: %s\n", why.c_str());
    return 1;
  }
  // The folder of this program, known before any window exists.
  std::error_code ec;
  const std::string fsRoot = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
  // The settings and records name the root in cp1251: a letter it lacks
  // would lead to another folder.
  if (const std::string letter = krav::FirstCharOutsideCp1251(fsRoot); !letter.empty()) {
    std::fprintf(stderr,
                 "mess: the folder %s has the letter \"%s\", which code page 1251 lacks; "
                 "install the program in a folder whose path has only Latin and Russian letters\n",
                 fsRoot.c_str(), letter.c_str());
    return 2;
  }
  const auto instance = krav::app::TakeSingleInstance();
  if (!instance) return 0;
  QApplication app(argc, argv);
  const std::string root =
      krav::Utf8ToCp1251(fsRoot.empty() ? QCoreApplication::applicationDirPath().toStdString() : fsRoot) + "/";
  const std::string page = argc > 1 ? krav::Utf8ToCp1251(argv[1]) : std::string();
  return krav::app::RunMess(root, page);
}
