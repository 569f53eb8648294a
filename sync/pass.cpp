#include "sync/pass.h"

#include <map>
#include <set>

#include "engine/dates.h"
#include "engine/schedule.h"
#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/file_lock.h"
#include "shell/paths.h"
#include "sync/caldav.h"
#include "sync/events.h"
#include "sync/state.h"
#include "tools/ics.h"

namespace krav::sync {
namespace {

// Whether a record still had an occurrence on `today` or later: one that
// leaves the store then was deleted by a person; one that leaves it after
// its last occurrence is outdated.
bool HasOccurrenceFrom(const std::string& record, DayNumber today) {
  const auto s = ParseSchedule(FieldView(record, kSep3, 2));
  if (!s) return false;
  if (s->repetition == Repetition::Once) return s->onceDay >= today;
  const bool interval = s->repetition == Repetition::Interval;
  if (s->limit == Limit::EndDate) return s->endDay >= today;
  if (s->limit == Limit::Count) {
    const std::int64_t from = interval ? today * 1440 : today;
    return LastOccurrence(*s, from) >= from;
  }
  return true;
}

bool IsReminder(const std::string& line) { return FieldView(line, kSep3, 1) == "3"; }

// The store's reminders not yet linked to an event, by line.
struct FreeLines {
  std::map<std::string, int> count;
  std::vector<std::string> order;  // first appearance, for sending in the store's order
  bool take(const std::string& line) {
    auto it = count.find(line);
    if (it == count.end() || it->second == 0) return false;
    --it->second;
    return true;
  }
};

enum class Side { Same, Changed, Gone };

// A write to the server planned by the pass.
struct ServerOp {
  enum Kind { Update, Create, Delete } kind;
  std::size_t entry;  // in the new entries
  std::string line;   // the record sent
};

std::string Summary(const EventRecord& r) { return r.uid + " «" + r.summary + "»"; }

class Pass {
 public:
  Pass(const std::string& root, const std::string& user, const SyncSettings& settings, const std::string& password)
      : dir_(shell::DataDir(root, user)),
        root_(root),
        user_(user),
        settings_(settings),
        http_(settings.login, password, settings.allowInsecure),
        calendar_(http_, settings.url) {}

  PassResult run(bool dryRun);
  void setCancel(const std::atomic<bool>* cancel) { http_.setCancel(cancel); }

 private:
  bool read();
  bool fetchRemote();
  void decide();
  bool applyLocal();
  bool applyServer();
  void catchUpToken(const std::vector<bool>& dropped);
  std::string freshUid(const std::string& line);
  bool fail(PassResult::Status status, const std::string& error) {
    result_.status = status;
    result_.error = error;
    return false;
  }

  std::string dir_, root_, user_;
  SyncSettings settings_;
  HttpClient http_;
  CalendarCollection calendar_;
  PassResult result_;

  SyncState state_;
  std::string savedState_;  // the state as loaded, to write only a changed one
  std::vector<Edit> edits_;
  FreeLines free_;
  std::vector<std::string> current_;  // per entry: its record after the editor's replacements
  std::vector<Side> local_, remote_;
  std::vector<std::string> remoteEtag_;
  std::vector<EventRecord> fetched_;
  std::set<std::string> listedHrefs_;
  std::string token_;  // the calendar's sync token after this pass's reading
  struct NewRemote {
    std::string href, etag;
    EventRecord event;
  };
  std::vector<NewRemote> newRemote_;

  std::vector<SyncEntry> next_;
  std::vector<ServerOp> ops_;
  Lines adds_;
  std::vector<std::string> removals_;
  std::vector<std::pair<std::string, std::string>> replacements_;
};

bool Pass::read() {
  std::string error;
  if (!LoadState(dir_, state_, error)) return fail(PassResult::LocalFailed, Cp1251ToUtf8(error));
  savedState_ = StateText(state_);
  // Another calendar: what was known of the old one says nothing of it, and
  // the first pass merges by equality.
  if (state_.url != settings_.url) state_ = SyncState{settings_.url, {}, {}};
  Lines store;
  if (!LoadLinesForUpdate(shell::StoreFile(dir_), store))
    return fail(PassResult::LocalFailed, "файл записей " + Cp1251ToUtf8(shell::StoreFile(dir_)) + " не читается");
  if (!LoadEdits(dir_, edits_))
    return fail(PassResult::LocalFailed, "файл " + Cp1251ToUtf8(EditsFile(dir_)) + " не читается");
  for (const auto& line : store) {
    if (!IsReminder(line)) continue;
    if (free_.count[line]++ == 0) free_.order.push_back(line);
  }
  const std::size_t n = state_.entries.size();
  current_.resize(n);
  local_.resize(n);
  for (std::size_t i = 0; i < n; ++i) current_[i] = state_.entries[i].record;
  // Each replacement moves the first entry still at its old text.
  for (const Edit& edit : edits_)
    for (std::size_t i = 0; i < n; ++i)
      if (current_[i] == edit.before) {
        current_[i] = edit.after;
        break;
      }
  for (std::size_t i = 0; i < n; ++i) {
    SyncEntry& e = state_.entries[i];
    if (free_.take(current_[i])) {
      local_[i] = current_[i] == e.record ? Side::Same : Side::Changed;
      e.outdated = false;
    } else if (current_[i] != e.record && free_.take(e.record)) {
      current_[i] = e.record;
      local_[i] = Side::Same;
      e.outdated = false;
    } else {
      local_[i] = Side::Gone;
    }
  }
  return true;
}

bool Pass::fetchRemote() {
  std::string error;
  // What the calendar holds now, by href: from the changes since the last
  // pass where the server keeps them, else from its whole listing.
  std::map<std::string, std::string> etags;
  bool incremental = false;
  std::vector<RemoteItem> written;
  if (!state_.token.empty()) {
    std::vector<std::string> removed;
    switch (calendar_.changes(state_.token, written, removed, token_, error)) {
      case CalendarCollection::Since::Failed: return fail(PassResult::ServerFailed, error);
      case CalendarCollection::Since::Unsupported: break;
      case CalendarCollection::Since::Done:
        incremental = result_.incremental = true;
        for (const auto& e : state_.entries)
          if (!e.unsendable) etags[e.href] = e.etag;
        for (const auto& href : removed) etags.erase(href);
        for (const auto& item : written) etags[item.href] = item.etag;
        break;
    }
  }
  std::vector<RemoteItem> listing;
  if (!incremental) {
    if (!calendar_.list(listing, error, &token_)) return fail(PassResult::ServerFailed, error);
    for (const auto& item : listing) etags[item.href] = item.etag;
  } else {
    for (const auto& [href, etag] : etags) listing.push_back({href, etag});
  }
  const std::size_t n = state_.entries.size();
  remote_.assign(n, Side::Same);
  remoteEtag_.assign(n, {});
  fetched_.assign(n, {});
  std::set<std::string> known;
  for (std::size_t i = 0; i < n; ++i) {
    const SyncEntry& e = state_.entries[i];
    if (e.unsendable) continue;  // nothing of it is on the server
    known.insert(e.href);
    const auto it = etags.find(e.href);
    remoteEtag_[i] = it == etags.end() ? std::string() : it->second;
    if (it != etags.end() && it->second == e.etag) continue;
    // Absent from the listing or changed: what the server says of the item
    // itself decides, so that only a 404 removes a record.
    std::string body, etag;
    switch (calendar_.get(e.href, body, etag, error)) {
      case Outcome::Gone: remote_[i] = Side::Gone; break;
      case Outcome::Done:
        remoteEtag_[i] = etag.empty() ? remoteEtag_[i] : etag;
        remote_[i] = remoteEtag_[i] == e.etag ? Side::Same : Side::Changed;
        if (remote_[i] == Side::Changed) fetched_[i] = RecordOfEvent(body);
        break;
      default: return fail(PassResult::ServerFailed, error);
    }
  }
  for (const auto& item : listing) {
    listedHrefs_.insert(item.href);
    if (known.count(item.href)) continue;
    std::string body, etag;
    switch (calendar_.get(item.href, body, etag, error)) {
      case Outcome::Gone: break;
      case Outcome::Done:
        newRemote_.push_back({item.href, etag.empty() ? item.etag : etag, RecordOfEvent(body)});
        break;
      default: return fail(PassResult::ServerFailed, error);
    }
  }
  return true;
}

std::string Pass::freshUid(const std::string& line) {
  std::set<std::string> used;
  for (const auto& e : next_) used.insert(e.uid);
  const std::string base = ics::RecordUid(line);
  std::string uid = base;
  for (int n = 2; used.count(uid) || listedHrefs_.count(calendar_.hrefFor(uid)); ++n)
    uid = base.substr(0, base.find('@')) + "-" + std::to_string(n) + base.substr(base.find('@'));
  return uid;
}

void Pass::decide() {
  PassCounts& c = result_.counts;
  const DayNumber today = Today();
  auto note = [&](const std::string& text) { result_.notes.push_back(text); };
  auto keep = [&](SyncEntry e) {
    next_.push_back(std::move(e));
    return next_.size() - 1;
  };
  auto create = [&](const std::string& line) {
    std::string why;
    if (EventText(line, "x", why).empty()) {
      // No event form: kept here and told once.
      note("запись «" + Cp1251ToUtf8(FieldView(line, kSep3, 3)) + "» не отправляется: " + why);
      SyncEntry e;
      e.record = line;
      e.unsendable = true;
      keep(e);
      return;
    }
    SyncEntry e;
    e.uid = freshUid(line);
    e.href = calendar_.hrefFor(e.uid);
    e.record = line;
    ops_.push_back({ServerOp::Create, keep(e), line});
  };
  // A version from the server taken in as a record of its own, or linked
  // to an equal one that is already here.
  auto bringDown = [&](SyncEntry& e, const EventRecord& event, int& counter) {
    e.record = event.record;
    if (!free_.take(event.record)) {
      adds_.push_back(event.record);
      ++counter;
    }
  };

  for (std::size_t i = 0; i < state_.entries.size(); ++i) {
    SyncEntry e = state_.entries[i];
    const std::string& cur = current_[i];
    const Side local = local_[i], remote = remote_[i];
    const EventRecord& event = fetched_[i];
    if (e.unsendable) {
      // Kept while its record is here; an edit makes it a record to send.
      if (local == Side::Same) keep(e);
      else if (local == Side::Changed) create(cur);
      continue;
    }
    if (remote == Side::Gone) {
      if (local == Side::Same && !e.outdated) {
        removals_.push_back(cur);
        ++c.gotDeleted;
      } else if (local == Side::Changed && !e.foreign) {
        // Deleted there, changed here: the change wins.
        e.record = cur;
        ops_.push_back({ServerOp::Create, keep(e), cur});
        continue;
      }
      continue;  // the entry goes
    }
    if (remote == Side::Changed) {
      e.etag = remoteEtag_[i];
      e.outdated = false;
      if (event.record.empty()) {
        // Left alone on the server and told once, for this version.
        if (!e.foreign)
          note("событие " + Summary(event) + " не ложится точно на запись; оставлено на сервере: " + event.why);
        e.foreign = true;
        e.record = local == Side::Gone ? std::string() : cur;
        keep(e);
        continue;
      }
      e.foreign = false;
      if (local == Side::Gone) {
        // Deleted here, changed there: the change wins.
        bringDown(e, event, c.gotChanged);
      } else if (event.record == cur) {
        e.record = cur;
      } else if (local == Side::Same) {
        replacements_.push_back({cur, event.record});
        e.record = event.record;
        ++c.gotChanged;
      } else {
        // Changed on both sides: both stay, the server's version here as a
        // record of its own and this one there as an event of its own.
        adds_.push_back(event.record);
        e.record = event.record;
        ++c.conflicts;
        note("запись изменена и здесь, и на сервере: сохранены обе («" + Cp1251ToUtf8(FieldView(cur, kSep3, 3)) +
             "» и «" + event.summary + "»)");
        keep(e);
        create(cur);
        continue;
      }
      keep(e);
      continue;
    }
    // The server's event is as it was.
    if (e.foreign) {
      keep(e);
    } else if (local == Side::Same) {
      keep(e);
    } else if (local == Side::Changed) {
      ops_.push_back({ServerOp::Update, keep(e), cur});
    } else if (!e.outdated && HasOccurrenceFrom(e.record, today)) {
      ops_.push_back({ServerOp::Delete, keep(e), {}});
    } else {
      e.outdated = true;
      keep(e);
    }
  }

  // Events new to this directory: linked to an equal record (the first pass
  // against a calendar that holds them already), else brought down.
  for (const NewRemote& r : newRemote_) {
    SyncEntry e{r.event.uid, r.href, r.etag, {}};
    if (r.event.record.empty()) {
      note("событие " + Summary(r.event) + " не ложится точно на запись; оставлено на сервере: " + r.event.why);
      e.foreign = true;
    } else {
      bringDown(e, r.event, c.gotNew);
    }
    keep(e);
  }
  // Records new to the calendar.
  for (const auto& line : free_.order)
    for (int& left = free_.count[line]; left > 0; --left) create(line);
}

bool Pass::applyLocal() {
  if (adds_.empty() && removals_.empty() && replacements_.empty()) return true;
  const bool ok =
      UpdateFiles(dir_, {{shell::TrashFile(dir_)}, {shell::StoreFile(dir_)}}, [&](std::vector<Lines>& files) {
        Lines& store = files[1];
        auto find = [&](const std::string& line) { return std::find(store.begin(), store.end(), line); };
        Lines trashed;
        for (const auto& line : removals_)
          if (auto it = find(line); it != store.end()) {
            trashed.push_back(*it);
            store.erase(it);
          }
        for (const auto& [before, after] : replacements_) {
          // A record changed meanwhile by someone else stays, and the
          // server's version comes beside it.
          if (auto it = find(before); it != store.end()) *it = after;
          else store.push_back(after);
        }
        store.insert(store.end(), adds_.begin(), adds_.end());
        if (!trashed.empty()) AddToTrash(files[0], trashed);
        return true;
      });
  if (!ok)
    return fail(PassResult::LocalFailed, "файл записей " + Cp1251ToUtf8(shell::StoreFile(dir_)) + " не записан");
  result_.storeWritten = true;
  return true;
}

void Pass::catchUpToken(const std::vector<bool>& dropped) {
  // The token read before this pass's own writes would show them as news to
  // the next pass. The calendar's changes since are asked for: when they are
  // exactly this pass's writes, the newer token is kept; anything else (a
  // change from elsewhere meanwhile) keeps the older one, so the next pass
  // sees it.
  if (token_.empty() || result_.counts.puts + result_.counts.deletes == 0) return;
  std::vector<RemoteItem> written;
  std::vector<std::string> removed;
  std::string newToken, error;
  if (calendar_.changes(token_, written, removed, newToken, error) != CalendarCollection::Since::Done) return;
  std::map<std::string, std::string> ours;  // href to ETag, as this pass left them
  std::set<std::string> gone;
  for (std::size_t i = 0; i < next_.size(); ++i) {
    if (dropped[i]) gone.insert(next_[i].href);
    else ours[next_[i].href] = next_[i].etag;
  }
  for (const auto& item : written)
    if (!ours.count(item.href) || ours[item.href] != item.etag) return;
  for (const auto& href : removed)
    if (!gone.count(href)) return;
  token_ = newToken;
}

bool Pass::applyServer() {
  PassCounts& c = result_.counts;
  std::vector<bool> dropped(next_.size(), false);
  auto save = [&] {
    SyncState s{settings_.url, token_, {}};
    for (std::size_t i = 0; i < next_.size(); ++i)
      if (!dropped[i]) s.entries.push_back(next_[i]);
    if (StateText(s) == savedState_) return true;
    if (!SaveState(dir_, s))
      return fail(PassResult::LocalFailed, "файл " + Cp1251ToUtf8(StateFile(dir_)) + " не записан");
    savedState_ = StateText(s);
    result_.stateWritten = true;
    return true;
  };
  // What the store now holds is known before the server is written to.
  if (!save()) return false;
  // The editor's replacements are let go once every update they led to is
  // on the server; until then they keep the edits' events their identity.
  bool editsSettled = true;
  for (const ServerOp& op : ops_) {
    SyncEntry& e = next_[op.entry];
    std::string error, etag, why;
    if (op.kind == ServerOp::Delete) {
      ++c.deletes;
      const Outcome o = calendar_.remove(e.href, e.etag, error);
      if (o == Outcome::Failed) return save() && fail(PassResult::ServerFailed, error);
      // Changed there meanwhile: the next pass brings the change down.
      if (o == Outcome::Changed) continue;
      dropped[op.entry] = true;
      ++c.sentDeleted;
      continue;
    }
    const std::string text = EventText(op.line, e.uid, why);
    if (text.empty()) {
      result_.notes.push_back("запись «" + Cp1251ToUtf8(FieldView(op.line, kSep3, 3)) + "» не отправлена: " + why);
      dropped[op.entry] = op.kind == ServerOp::Create;
      continue;
    }
    ++c.puts;
    const Outcome o =
        calendar_.put(e.href, text, op.kind == ServerOp::Update ? e.etag : std::string(), etag, error);
    if (o == Outcome::Failed) {
      dropped[op.entry] = dropped[op.entry] || op.kind == ServerOp::Create;
      return save() && fail(PassResult::ServerFailed, error);
    }
    if (o == Outcome::Changed && op.kind == ServerOp::Update) editsSettled = false;
    if (o == Outcome::Changed) {
      // Changed there meanwhile (or, for a new event, written by a pass
      // that was cut short): the next pass sorts it out from what is there.
      if (op.kind == ServerOp::Create) dropped[op.entry] = true;
      continue;
    }
    e.record = op.line;
    e.etag = etag;
    if (op.kind == ServerOp::Create) ++c.sentNew;
    else ++c.sentChanged;
  }
  catchUpToken(dropped);
  if (!save()) return false;
  if (editsSettled && !edits_.empty()) (void)DropEdits(dir_, edits_.size());
  return true;
}

PassResult Pass::run(bool dryRun) {
  TryFileLock passLock(PassLockFile(dir_));
  if (!passLock.held()) {
    fail(PassResult::Busy, "синхронизация этой папки уже идёт");
    return result_;
  }
  if (!read() || !fetchRemote()) return result_;
  decide();
  if (dryRun) {
    for (const ServerOp& op : ops_) {
      if (op.kind == ServerOp::Create) ++result_.counts.sentNew;
      else if (op.kind == ServerOp::Update) ++result_.counts.sentChanged;
      else ++result_.counts.sentDeleted;
    }
    return result_;
  }
  if (applyLocal()) applyServer();
  return result_;
}

}  // namespace

PassResult RunPass(const std::string& root, const std::string& user, const SyncSettings& settings,
                   const std::string& password, bool dryRun, const std::atomic<bool>* cancel) {
  Pass pass(root, user, settings, password);
  pass.setCancel(cancel);
  return pass.run(dryRun);
}

std::string SummaryLine(const PassCounts& c) {
  return "отправлено: новых " + std::to_string(c.sentNew) + ", изменённых " + std::to_string(c.sentChanged) +
         ", удалённых " + std::to_string(c.sentDeleted) + "; получено: новых " + std::to_string(c.gotNew) +
         ", изменённых " + std::to_string(c.gotChanged) + ", удалённых " + std::to_string(c.gotDeleted) +
         "; конфликтов " + std::to_string(c.conflicts);
}

}  // namespace krav::sync
