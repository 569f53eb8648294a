// The plug-in as the shell holds it: loaded with dlopen, its four functions
// looked up by name.
#pragma once

#include <string>

namespace krav::host {

class PluginLoader {
 public:
  PluginLoader() = default;
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // False, with error() telling why, when the library is missing or broken.
  bool load(const std::string& fsPath);
  bool loaded() const { return handle_ != nullptr; }
  const std::string& error() const { return error_; }

  void init(const std::string& cp1251Root);
  void check(int counter);
  void command(int command, int parameter);
  void free();

 private:
  void* handle_ = nullptr;
  std::string error_;
  void (*initIf_)(const char*, int*, int*) = nullptr;
  void (*checkIf_)(int) = nullptr;
  void (*commandIf_)(int, int) = nullptr;
  void (*freeIf_)() = nullptr;
  bool initialised_ = false;
};

}  // namespace krav::host
