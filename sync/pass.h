// One two-way pass between a user's reminders and a CalDAV calendar.
//
// The pass first reads: the calendar's listing, the events that are new or
// changed there, the store and the editor's replacements. It then changes the
// store in one locked update (records that came down, records whose event
// was deleted, to the trash), saves what it knows, and only then writes to
// the server, each write conditional on the ETag known and taken into the
// state at once. A pass cut short anywhere leaves a state from which the next
// one converges: whatever was written on either side is found again by
// equality, never sent or brought down twice.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "sync/settings.h"

namespace krav::sync {

struct PassCounts {
  int sentNew = 0, sentChanged = 0, sentDeleted = 0;
  int gotNew = 0, gotChanged = 0, gotDeleted = 0;
  int conflicts = 0;
  int puts = 0, deletes = 0;  // requests that wrote to the server
};

struct PassResult {
  enum Status { Done, ServerFailed, LocalFailed, Busy } status = Done;
  PassCounts counts;
  std::string error;               // UTF-8, never holding the password
  std::vector<std::string> notes;  // UTF-8: conflicts, events left alone
  bool storeWritten = false, stateWritten = false;
  bool incremental = false;  // the calendar gave its changes since the last pass
};

// dataDir ends in "/". today is the day from which a record that left the
// store still had occurrences, if it was deleted by a person.
// cancel, when given and set, cuts the pass short within a moment (a pass cut
// short leaves a state the next one converges from).
PassResult RunPass(const std::string& root, const std::string& user, const SyncSettings& settings,
                   const std::string& password, bool dryRun, const std::atomic<bool>* cancel = nullptr);

// The summary line of a pass (UTF-8).
std::string SummaryLine(const PassCounts& c);

}  // namespace krav::sync
