#include "accounting/month_files.h"

#include <system_error>
#include <utility>

namespace krav::accounting {

MonthFiles::MonthFiles(bool ahead) {
  // Without a thread every file is written when `finish` comes to it.
  if (!ahead) return;
  try {
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
  }
}

MonthFiles::~MonthFiles() {
  {
    std::lock_guard lock(mutex_);
    closed_ = stopped_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void MonthFiles::add(std::string monthDate, std::string path, std::string bytes) {
  {
    std::lock_guard lock(mutex_);
    Month& month = months_.emplace_back();
    month.date = std::move(monthDate);
    month.path = std::move(path);
    month.bytes = std::move(bytes);
  }
  changed_.notify_all();
}

void MonthFiles::prepare(Month& month) {
  std::string stored;
  if (LoadBytes(month.path, stored) && stored == month.bytes) month.state = State::Same;
  else month.state = month.save.write(month.path, month.bytes, Flush::Later) ? State::Written : State::Failed;
}

// A month taken is the thread's alone until it is joined: its texts were
// set before it was added, and its state is read only after the join.
void MonthFiles::run() {
  for (;;) {
    Month* month = nullptr;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return closed_ || taken_ < months_.size(); });
      if (stopped_ || taken_ >= kAhead || taken_ >= months_.size()) return;
      month = &months_[taken_++];
    }
    prepare(*month);
  }
}

bool MonthFiles::finish(const std::function<void(const std::string&)>& placed, std::string& failed) {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  for (Month& month : months_) {
    if (month.state == State::Waiting) prepare(month);
    const bool ok = month.state == State::Same || (month.state == State::Written && month.save.commit());
    if (!ok) {
      failed = month.path;
      return false;
    }
    placed(month.date);
  }
  return true;
}

}  // namespace krav::accounting
