// What a data directory knows of its calendar since the last pass, kept in
// "sync.state": per event its UID, href and ETag and the record it was last
// in step with. And the record editor's replacements since ("sync.edits"),
// so that an edit stays one event.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

namespace krav::sync {

struct SyncEntry {
  std::string uid;
  std::string href;
  std::string etag;
  std::string record;  // the store line both sides last agreed on (cp1251)
  // The event has no exact record form: left alone on the server, told once.
  bool foreign = false;
  // The record left the store after its last occurrence: the event stays on
  // the server and is not brought back.
  bool outdated = false;
  // The record has no event form (no text, no occurrence): kept here, told
  // once, never sent. Such an entry has no UID, href or ETag.
  bool unsendable = false;
};

struct SyncState {
  std::string url;    // the calendar the entries belong to
  std::string token;  // the calendar's sync token as of the entries, when it gives one
  std::vector<SyncEntry> entries;
};

std::string StateFile(const std::string& dataDir);     // "sync.state"
std::string EditsFile(const std::string& dataDir);     // "sync.edits"
std::string PassLockFile(const std::string& dataDir);  // "sync.lock"

// False when the file exists but is not a state file (a missing one is empty).
bool LoadState(const std::string& dataDir, SyncState& state, std::string& error);
bool SaveState(const std::string& dataDir, const SyncState& state);
// The state file's text: what SaveState writes, and what a pass compares to
// write only a changed state.
std::string StateText(const SyncState& state);

// A replacement by the record editor: oldLine became newLine.
struct Edit {
  std::string before, after;
};
// Notes a replacement for the next pass; nothing when the directory has
// never been synchronised. False when the note could not be written.
bool NoteReplacedRecord(const std::string& dataDir, const std::string& before, const std::string& after);
bool LoadEdits(const std::string& dataDir, std::vector<Edit>& edits);
// Drops the first `count` edits (those a pass has taken in).
bool DropEdits(const std::string& dataDir, std::size_t count);

// A store line as one field of a state line, and back.
std::string EncodeLine(const std::string& line);
std::string DecodeLine(const std::string& field);

}  // namespace krav::sync
