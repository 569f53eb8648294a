// The month balance files of one computation, written while the walk goes
// on: a thread of their own compares each month closed with its file and,
// when they differ, writes the new balances to a file that is put in place
// only once the whole walk could be read. A computation that fails leaves
// every month file as it was.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/files.h"

namespace krav::accounting {

class MonthFiles {
 public:
  // With `ahead`, a thread writes the files as the months come; without it
  // (a walk of a month or two, not worth a thread) `finish` writes them all.
  explicit MonthFiles(bool ahead);
  ~MonthFiles();  // puts nothing in place unless `finish` did
  MonthFiles(const MonthFiles&) = delete;
  MonthFiles& operator=(const MonthFiles&) = delete;

  // The balances of a month walked, for its file at `path`.
  void add(std::string monthDate, std::string path, std::string bytes);
  // Puts the files in place, oldest first (a file that already holds its
  // balances is left as it is), calling `placed` with each month's date.
  // False at the first that could not be written, its path in `failed`.
  bool finish(const std::function<void(const std::string&)>& placed, std::string& failed);

 private:
  enum class State { Waiting, Same, Written, Failed };
  struct Month {
    std::string date, path, bytes;
    State state = State::Waiting;
    PendingSave save;
  };
  // Each file written ahead holds a descriptor until it is put in place: the
  // months beyond this many are written when `finish` comes to them.
  static constexpr std::size_t kAhead = 256;

  void run();
  static void prepare(Month& month);

  std::deque<Month> months_;  // its elements stay where they are as it grows
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t taken_ = 0;  // the months the thread has taken
  bool closed_ = false;    // no month is added any more
  bool stopped_ = false;   // no month is begun any more: the computation failed
  std::thread thread_;
};

}  // namespace krav::accounting
