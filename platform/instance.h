// Named mutexes and windows found by caption, for single-instance programs.
#pragma once

#include <memory>
#include <string>

#include "platform/file_lock.h"
#include "platform/messages.h"

namespace krav {

// An exclusive lock on RUNTIME/mutex-NAME, held while the object lives.
class NamedMutex {
 public:
  explicit NamedMutex(const std::string& name);
  // False when another process holds the mutex.
  bool owned() const { return lock_.held(); }

 private:
  TryFileLock lock_;
};

// Makes a window findable by its caption until the object is destroyed.
class CaptionRegistration {
 public:
  CaptionRegistration(const std::string& caption, WindowHandle handle);
  ~CaptionRegistration();
  CaptionRegistration(const CaptionRegistration&) = delete;
  CaptionRegistration& operator=(const CaptionRegistration&) = delete;

 private:
  std::string path_;
  WindowHandle handle_;
};

// The handle of a live window registered with that caption, or 0.
WindowHandle FindWindowByCaption(const std::string& caption);

}  // namespace krav
