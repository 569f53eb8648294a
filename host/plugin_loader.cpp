#include "host/plugin_loader.h"

#include <dlfcn.h>

namespace krav::host {

PluginLoader::~PluginLoader() {
  free();
  if (handle_) ::dlclose(handle_);
}

bool PluginLoader::load(const std::string& fsPath) {
  handle_ = ::dlopen(fsPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* e = ::dlerror();
    error_ = e ? e : "cannot load " + fsPath;
    return false;
  }
  initIf_ = reinterpret_cast<decltype(initIf_)>(::dlsym(handle_, "InitIf"));
  checkIf_ = reinterpret_cast<decltype(checkIf_)>(::dlsym(handle_, "CheckIf"));
  commandIf_ = reinterpret_cast<decltype(commandIf_)>(::dlsym(handle_, "CommandIf"));
  freeIf_ = reinterpret_cast<decltype(freeIf_)>(::dlsym(handle_, "FreeIf"));
  if (!initIf_ || !checkIf_ || !commandIf_ || !freeIf_) {
    error_ = fsPath + " lacks InitIf, CheckIf, CommandIf or FreeIf";
    ::dlclose(handle_);
    handle_ = nullptr;
    return false;
  }
  return true;
}

void PluginLoader::init(const std::string& root) {
  if (!handle_) return;
  int first = 0, last = 0;
  initIf_(root.c_str(), &first, &last);
  initialised_ = true;
}

void PluginLoader::check(int counter) {
  if (initialised_) checkIf_(counter);
}

void PluginLoader::command(int command, int parameter) {
  if (initialised_) commandIf_(command, parameter);
}

void PluginLoader::free() {
  if (initialised_) freeIf_();
  initialised_ = false;
}

}  // namespace krav::host
