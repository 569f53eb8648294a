// The two-way synchronisation against real CalDAV servers (Radicale and
// Xandikos, started by the tests on 127.0.0.1): every rule of a pass runs
// against both.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "calendar_server.h"
#include "engine/store.h"
#include "engine/text.h"
#include "host/sync_runner.h"
#include "platform/encoding.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "support.h"
#include "sync/caldav.h"
#include "sync/events.h"
#include "sync/pass.h"
#include "sync/state.h"

namespace krav {
namespace {

using sync::PassResult;

// A data directory synchronised with the test's calendar.
class SyncedRoot {
 public:
  SyncedRoot(const test::CalendarServer& server, const std::string& name) : t_(name) {
    settings_.url = server.url();
    settings_.login = server.login();
    password_ = server.password();
  }
  const test::TempRoot& t() const { return t_; }
  std::string dir() const { return t_.dataDir(); }
  Lines store() const { return t_.read(t_.data("mess.dat")); }
  Lines sortedStore() const {
    Lines s = store();
    std::sort(s.begin(), s.end());
    return s;
  }
  void setStore(const Lines& lines) const { t_.write(t_.data("mess.dat"), lines); }
  void add(const std::string& line) const {
    Lines s = store();
    s.push_back(line);
    setStore(s);
  }
  // What the record editor does: the new line appended, the opened one removed.
  void edit(const std::string& before, const std::string& after) const {
    Lines s = store();
    const auto it = std::find(s.begin(), s.end(), before);
    ASSERT_NE(it, s.end());
    s.erase(it);
    s.push_back(after);
    setStore(s);
    ASSERT_TRUE(sync::NoteReplacedRecord(dir(), before, after));
  }
  void remove(const std::string& line) const {
    Lines s = store();
    s.erase(std::find(s.begin(), s.end(), line));
    setStore(s);
  }
  PassResult pass(bool dryRun = false) const {
    return sync::RunPass(t_.root(), t_.user(), settings_, password_, dryRun);
  }
  // A pass that must succeed.
  sync::PassCounts ok() const {
    const PassResult r = pass();
    EXPECT_EQ(r.status, PassResult::Done) << r.error;
    return r.counts;
  }
  sync::SyncSettings& settings() { return settings_; }

 private:
  test::TempRoot t_;
  sync::SyncSettings settings_;
  std::string password_;
};

Lines Sorted(Lines lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string Daily(const std::string& text, const std::string& time = "09:00") {
  return test::Record("3", "2", "11|01.12.2026|00:00", "22|" + time, Ru(text));
}
std::string Once(const std::string& date, const std::string& text) {
  return test::Record("3", "1|" + date, "", "22|10:00", Ru(text));
}

class Sync : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    // No keyring here: a session's own must not be asked (test/keyring has one of its own).
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/krav-no-bus", 1);
    server_ = std::make_unique<test::CalendarServer>(GetParam());
    ASSERT_TRUE(server_->failure().empty()) << server_->failure();
    http_ = std::make_unique<sync::HttpClient>(server_->login(), server_->password(), false);
    calendar_ = std::make_unique<sync::CalendarCollection>(*http_, server_->url());
  }
  std::vector<sync::RemoteItem> items() {
    std::vector<sync::RemoteItem> list;
    std::string error;
    EXPECT_TRUE(calendar_->list(list, error)) << error;
    return list;
  }
  // The records the server's events give, sorted.
  Lines serverRecords() {
    Lines records;
    for (const auto& item : items()) {
      std::string body, etag, error;
      EXPECT_EQ(calendar_->get(item.href, body, etag, error), sync::Outcome::Done) << error;
      records.push_back(sync::RecordOfEvent(body).record);
    }
    std::sort(records.begin(), records.end());
    return records;
  }
  // Another calendar program's change: the event rewritten with a record's
  // form under its UID.
  void changeOnServer(const sync::RemoteItem& item, const std::string& uid, const std::string& record) {
    std::string why, etag, error;
    const std::string text = sync::EventText(record, uid, why);
    ASSERT_FALSE(text.empty()) << why;
    ASSERT_EQ(calendar_->put(item.href, text, item.etag, etag, error), sync::Outcome::Done) << error;
  }
  sync::RemoteItem itemOf(const std::string& record) {
    for (const auto& item : items()) {
      std::string body, etag, error;
      calendar_->get(item.href, body, etag, error);
      if (sync::RecordOfEvent(body).record == record) return item;
    }
    ADD_FAILURE() << "no event gives " << record;
    return {};
  }
  std::string uidOf(const sync::RemoteItem& item) {
    std::string body, etag, error;
    calendar_->get(item.href, body, etag, error);
    return sync::RecordOfEvent(body).uid;
  }

  test::FixedClock clock_{MakeDateTime(2026, 12, 9, 12, 0)};
  std::unique_ptr<test::CalendarServer> server_;
  std::unique_ptr<sync::HttpClient> http_;
  std::unique_ptr<sync::CalendarCollection> calendar_;
};

// Rules 6 and 7, and what travels: reminders go up, actions stay here; a
// second pass with nothing changed writes nothing anywhere; a root that
// already holds the same records links them instead of copying.
TEST_P(Sync, TheFirstPassSendsRemindersMergesEqualOnesAndTheNextChangesNothing) {
  SyncedRoot a(*server_, "a");
  const std::string action =
      test::Record("4", "2", "11|01.12.2026|00:00", "22|08:00", "run") + kSep3 + "1" + kSep3 + "/usr/bin/true";
  a.setStore({Daily("Зарядка"), Once("24.12.2026", "Купить ёлку"), action});
  sync::PassCounts c = a.ok();
  EXPECT_EQ(c.sentNew, 2);
  EXPECT_EQ(items().size(), 2u);
  EXPECT_EQ(serverRecords(), Sorted({Daily("Зарядка"), Once("24.12.2026", "Купить ёлку")}));

  const Lines storeBefore = a.store(), stateBefore = a.t().read(sync::StateFile(a.dir()));
  struct stat before {};
  ::stat(sync::StateFile(a.dir()).c_str(), &before);
  const PassResult second = a.pass();
  EXPECT_EQ(second.status, PassResult::Done);
  EXPECT_EQ(second.counts.puts + second.counts.deletes, 0);
  EXPECT_TRUE(second.incremental) << "the changes since the last pass, not the whole listing";
  EXPECT_FALSE(second.storeWritten);
  EXPECT_FALSE(second.stateWritten);
  EXPECT_EQ(a.store(), storeBefore);
  struct stat after {};
  ::stat(sync::StateFile(a.dir()).c_str(), &after);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);

  SyncedRoot b(*server_, "b");
  b.setStore({Once("24.12.2026", "Купить ёлку"), Daily("Зарядка"), Daily("Только здесь")});
  c = b.ok();
  EXPECT_EQ(c.gotNew, 0);
  EXPECT_EQ(c.sentNew, 1);
  EXPECT_EQ(b.store().size(), 3u);
  EXPECT_EQ(items().size(), 3u);
  EXPECT_EQ(a.ok().gotNew, 1);
  EXPECT_EQ(a.sortedStore().size(), 4u);  // the action stays, only here
}

// --dry-run counts what a pass would do and changes nothing on either side;
// a pass of the same folder already under way (whoever runs it) keeps this one
// out, with nothing changed.
TEST_P(Sync, ADryRunAndABusyFolderChangeNothing) {
  SyncedRoot a(*server_, "a");
  a.setStore({Daily("Зарядка"), Once("24.12.2026", "Ёлка")});
  PassResult r = a.pass(true);
  ASSERT_EQ(r.status, PassResult::Done) << r.error;
  EXPECT_EQ(r.counts.sentNew, 2);
  EXPECT_EQ(r.counts.puts, 0);
  EXPECT_TRUE(items().empty());
  EXPECT_FALSE(FileExists(sync::StateFile(a.dir())));

  {
    const TryFileLock other(sync::PassLockFile(a.dir()));
    ASSERT_TRUE(other.held());
    r = a.pass();
    EXPECT_EQ(r.status, PassResult::Busy);
    EXPECT_TRUE(items().empty());
  }
  EXPECT_EQ(a.ok().sentNew, 2);
}

// Rule 4: an edit through the editor updates the same event, and an event
// changed on the server replaces its record in place.
TEST_P(Sync, AnEditIsAnEditOnBothSides) {
  SyncedRoot a(*server_, "a"), b(*server_, "b");
  a.setStore({Daily("Зарядка"), Daily("Полить цветы", "19:00")});
  a.ok();
  b.ok();
  const sync::RemoteItem before = itemOf(Daily("Зарядка"));
  const std::string uid = uidOf(before);

  a.edit(Daily("Зарядка"), Daily("Зарядка", "07:30"));
  sync::PassCounts c = a.ok();
  EXPECT_EQ(c.sentChanged, 1);
  EXPECT_EQ(c.sentNew + c.sentDeleted, 0);
  const sync::RemoteItem after = itemOf(Daily("Зарядка", "07:30"));
  EXPECT_EQ(after.href, before.href);
  EXPECT_EQ(uidOf(after), uid);
  EXPECT_EQ(items().size(), 2u);

  const Lines beforeB = b.store();
  c = b.ok();
  EXPECT_EQ(c.gotChanged, 1);
  EXPECT_EQ(b.sortedStore(), a.sortedStore());
  const Lines afterB = b.store();
  ASSERT_EQ(afterB.size(), beforeB.size());
  EXPECT_EQ(std::find(afterB.begin(), afterB.end(), Daily("Зарядка", "07:30")) - afterB.begin(),
            std::find(beforeB.begin(), beforeB.end(), Daily("Зарядка")) - beforeB.begin())
      << "replaced in place";

  changeOnServer(after, uid, Daily("Зарядка", "06:45"));
  c = a.ok();
  EXPECT_EQ(c.gotChanged, 1);
  EXPECT_EQ(a.sortedStore(), Sorted({Daily("Зарядка", "06:45"), Daily("Полить цветы", "19:00")}));
  EXPECT_EQ(items().size(), 2u);
}

// Rules 2 and 3: a person's deletion deletes the event; a record that left
// the store after its last occurrence leaves its event alone and does not
// come back; an event deleted on the server sends its record to the trash.
TEST_P(Sync, DeletionsFollowWhoDeletedAndWhen) {
  SyncedRoot a(*server_, "a");
  a.setStore({Daily("Зарядка"), Once("10.12.2026", "Завтра"), Once("24.12.2026", "Ёлка")});
  a.ok();

  a.remove(Daily("Зарядка"));
  sync::PassCounts c = a.ok();
  EXPECT_EQ(c.sentDeleted, 1);
  EXPECT_EQ(items().size(), 2u);

  // The next day but one: "Завтра" is past and removed as outdated.
  clock_.set(MakeDateTime(2026, 12, 11, 9, 0));
  a.remove(Once("10.12.2026", "Завтра"));
  c = a.ok();
  EXPECT_EQ(c.sentDeleted, 0);
  EXPECT_EQ(items().size(), 2u);
  c = a.ok();
  EXPECT_EQ(c.gotNew, 0) << "a past event is not brought back";
  EXPECT_EQ(a.store(), (Lines{Once("24.12.2026", "Ёлка")}));

  std::string error;
  const sync::RemoteItem tree = itemOf(Once("24.12.2026", "Ёлка"));
  ASSERT_EQ(calendar_->remove(tree.href, tree.etag, error), sync::Outcome::Done) << error;
  c = a.ok();
  EXPECT_EQ(c.gotDeleted, 1);
  EXPECT_TRUE(a.store().empty());
  const Lines trash = a.t().read(a.t().data("mess-del.dat"));
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(GetField(trash[0], kSep4, 2), Once("24.12.2026", "Ёлка"));
}

// Rule 5: changed on both sides keeps both and says so; deleted on one side
// and changed on the other, the change wins.
TEST_P(Sync, ConflictsKeepBothAndAChangeBeatsADeletion) {
  SyncedRoot a(*server_, "a"), b(*server_, "b");
  a.setStore({Daily("Зарядка"), Daily("Полить цветы", "19:00")});
  a.ok();
  b.ok();
  a.edit(Daily("Зарядка"), Daily("Зарядка", "07:00"));
  b.edit(Daily("Зарядка"), Daily("Зарядка", "08:00"));
  EXPECT_EQ(b.ok().sentChanged, 1);
  const PassResult r = a.pass();
  ASSERT_EQ(r.status, PassResult::Done) << r.error;
  EXPECT_EQ(r.counts.conflicts, 1);
  ASSERT_EQ(r.notes.size(), 1u);
  EXPECT_NE(r.notes[0].find("сохранены обе"), std::string::npos);
  EXPECT_EQ(a.sortedStore(),
            Sorted({Daily("Зарядка", "07:00"), Daily("Зарядка", "08:00"), Daily("Полить цветы", "19:00")}));
  b.ok();
  EXPECT_EQ(b.sortedStore(), a.sortedStore());
  EXPECT_EQ(serverRecords(), a.sortedStore());

  a.remove(Daily("Полить цветы", "19:00"));
  b.edit(Daily("Полить цветы", "19:00"), Daily("Полить цветы", "20:00"));
  b.ok();
  EXPECT_EQ(a.ok().sentDeleted, 0);
  EXPECT_EQ(b.sortedStore(), a.sortedStore());
  const Lines mine = a.store();
  EXPECT_EQ(std::count(mine.begin(), mine.end(), Daily("Полить цветы", "20:00")), 1);
}

// Rule 1: a pass that fails deletes nothing here, and a pass cut short
// after any of its writes is followed by one that converges without loss
// or duplicates.
TEST_P(Sync, AFailedOrCutShortPassLosesAndDuplicatesNothing) {
  SyncedRoot a(*server_, "a");
  a.setStore({Daily("Зарядка"), Once("24.12.2026", "Ёлка")});
  a.ok();
  const Lines synced = a.sortedStore();

  // The server's state lost after the store was written: the next pass finds
  // the records by equality.
  SyncedRoot b(*server_, "b");
  b.ok();
  ASSERT_EQ(::unlink(sync::StateFile(b.dir()).c_str()), 0);
  sync::PassCounts c = b.ok();
  EXPECT_EQ(c.gotNew + c.sentNew, 0);
  EXPECT_EQ(b.sortedStore(), synced);

  // A new record written to the server, then the state saved before it lost.
  const Lines stateBefore = a.t().read(sync::StateFile(a.dir()));
  a.add(Daily("Новая"));
  EXPECT_EQ(a.ok().sentNew, 1);
  a.t().write(sync::StateFile(a.dir()), stateBefore);
  c = a.ok();
  EXPECT_EQ(c.sentNew + c.gotNew, 0);
  EXPECT_EQ(items().size(), 3u);
  EXPECT_EQ(a.store().size(), 3u);

  // A listing that is no listing, and then no server at all.
  SyncedRoot wrong(*server_, "w");
  wrong.setStore({Daily("Своя")});
  wrong.settings().url = server_->url() + "missing/";
  PassResult r = wrong.pass();
  EXPECT_EQ(r.status, PassResult::ServerFailed);
  EXPECT_EQ(wrong.store(), (Lines{Daily("Своя")}));

  server_->stop();
  a.remove(Daily("Зарядка"));
  r = a.pass();
  EXPECT_EQ(r.status, PassResult::ServerFailed);
  EXPECT_FALSE(r.storeWritten);
  EXPECT_EQ(a.store().size(), 2u);
  EXPECT_EQ(r.error.find(server_->password().empty() ? "\x01" : server_->password()), std::string::npos);
}

// Rule 8: three roots changing their records between passes end with the
// same records as the calendar.
TEST_P(Sync, ThreeRootsConverge) {
  SyncedRoot a(*server_, "a"), b(*server_, "b"), c(*server_, "c");
  a.setStore({Daily("A1"), Once("24.12.2026", "A2")});
  b.setStore({Daily("B1", "10:00"), Daily("A1")});
  c.setStore({Once("31.12.2026", "C1")});
  for (int round = 0; round < 2; ++round)
    for (const SyncedRoot* r : {&a, &b, &c}) r->ok();
  a.edit(Daily("A1"), Daily("A1", "11:00"));
  b.remove(Once("31.12.2026", "C1"));
  c.add(Daily("C2", "12:00"));
  for (int round = 0; round < 2; ++round)
    for (const SyncedRoot* r : {&a, &b, &c}) r->ok();
  EXPECT_EQ(a.sortedStore(), b.sortedStore());
  EXPECT_EQ(b.sortedStore(), c.sortedStore());
  EXPECT_EQ(a.sortedStore(), serverRecords());
  EXPECT_EQ(a.sortedStore(),
            Sorted({Daily("A1", "11:00"), Daily("B1", "10:00"), Daily("C2", "12:00"), Once("24.12.2026", "A2")}));
}

// An event with no exact record form is left alone and told once; an
// action carried by an event never comes as an action.
TEST_P(Sync, ForeignEventsAreLeftAloneAndActionsNeverComeDown) {
  const std::string odd =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//other//EN\r\nBEGIN:VEVENT\r\nUID:other-1\r\n"
      "DTSTAMP:20261201T000000Z\r\nDTSTART:20261210T100000\r\nRRULE:FREQ=DAILY\r\nEXDATE:20261212T100000\r\n"
      "SUMMARY:Meeting\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  std::string etag, error, why;
  ASSERT_EQ(calendar_->put(calendar_->hrefFor("other-1"), odd, "", etag, error), sync::Outcome::Done) << error;
  const std::string action =
      test::Record("4", "2", "11|01.12.2026|00:00", "22|08:00", "run") + kSep3 + "1" + kSep3 + "/usr/bin/true";
  const std::string carried = sync::EventText(action, "other-2", why);
  ASSERT_FALSE(carried.empty()) << why;
  ASSERT_EQ(calendar_->put(calendar_->hrefFor("other-2"), carried, "", etag, error), sync::Outcome::Done) << error;

  // And here a record with no event form: its range ends before its first Monday.
  SyncedRoot a(*server_, "a");
  const std::string noEvent =
      test::Record("3", "3|" + Ru("понедельникам"), "13|01.12.2026|00:00|02.12.2026", "22|09:00", "x");
  a.setStore({noEvent});
  PassResult r = a.pass();
  ASSERT_EQ(r.status, PassResult::Done) << r.error;
  EXPECT_EQ(r.notes.size(), 2u);
  EXPECT_EQ(r.counts.puts, 0);
  ASSERT_EQ(a.store().size(), 2u);
  EXPECT_EQ(a.store()[0], noEvent);
  EXPECT_EQ(GetField(a.store()[1], kSep3, 1), "3");
  r = a.pass();
  EXPECT_TRUE(r.notes.empty()) << r.notes.front();
  EXPECT_EQ(r.counts.puts + r.counts.deletes, 0);
  std::string body;
  ASSERT_EQ(calendar_->get(calendar_->hrefFor("other-1"), body, etag, error), sync::Outcome::Done);
  EXPECT_NE(body.find("EXDATE"), std::string::npos);
}

// messctl sync: one summary line and 0; 2 for settings it cannot use (no
// calendar, a password file others can read, named in the message); 1 when
// the server cannot be reached, with nothing changed here.
TEST_P(Sync, MessctlSyncSaysWhatItDidAndExitsByWhatFailed) {
  SyncedRoot a(*server_, "a");
  a.setStore({Daily("Зарядка")});
  auto run = [&](std::string& err) {
    const std::string errFile = a.t().root() + "err.txt";
    const std::string cmd =
        std::string(KRAV_BUILD_DIR) + "/tools/messctl sync --root " + a.t().root() + " --user a 2>" + errFile;
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    char buf[4096];
    std::size_t n;
    while (p && (n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int st = p ? ::pclose(p) : -1;
    const Lines errLines = a.t().read(errFile);
    err.clear();
    for (const auto& l : errLines) err += l + "\n";
    return std::make_pair(WIFEXITED(st) ? WEXITSTATUS(st) : -1, out);
  };
  std::string err;
  EXPECT_EQ(run(err).first, 2);
  EXPECT_NE(err.find("[Sync] Url"), std::string::npos) << err;

  const std::string ini = shell::UserSettingsFile(a.dir());
  ASSERT_TRUE(WriteIniString(ini, "Sync", "Url", server_->url()));
  ASSERT_TRUE(WriteIniString(ini, "Sync", "Login", server_->login()));
  a.t().write(a.t().data("sync.pass"), {server_->password()});
  ASSERT_EQ(::chmod(a.t().data("sync.pass").c_str(), 0644), 0);
  EXPECT_EQ(run(err).first, 2);
  EXPECT_NE(err.find("sync.pass"), std::string::npos) << err;

  ASSERT_EQ(::chmod(a.t().data("sync.pass").c_str(), 0600), 0);
  const auto done = run(err);
  EXPECT_EQ(done.first, 0) << err;
  EXPECT_EQ(done.second,
            "отправлено: новых 1, изменённых 0, удалённых 0; получено: новых 0, изменённых 0, удалённых 0; "
            "конфликтов 0\n");

  ASSERT_TRUE(WriteIniString(ini, "Sync", "Interval", "soon"));
  EXPECT_EQ(run(err).first, 2);
  ASSERT_TRUE(WriteIniString(ini, "Sync", "Interval", "15"));
  server_->stop();
  const Lines before = a.store();
  EXPECT_EQ(run(err).first, 1);
  EXPECT_EQ(a.store(), before);
  if (!server_->password().empty()) {
    EXPECT_EQ(err.find(server_->password()), std::string::npos);
  }
}

// The host's passes: on a worker, one at a time, and a failure told once
// however often the pass is retried.
TEST_P(Sync, TheHostPassesOffItsThreadAndTellsAFailureOnce) {
  static int argc = 1;
  static char name[] = "sync_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  SyncedRoot a(*server_, "a");
  a.setStore({Daily("Зарядка")});
  const std::string ini = shell::UserSettingsFile(a.dir());
  ASSERT_TRUE(WriteIniString(ini, "Sync", "Url", server_->url()));
  ASSERT_TRUE(WriteIniString(ini, "Sync", "Login", server_->login()));
  a.t().write(a.t().data("sync.pass"), {server_->password()});
  ASSERT_EQ(::chmod(a.t().data("sync.pass").c_str(), 0600), 0);

  host::SyncRunner runner(a.t().root(), [] { return std::string("a"); });
  std::vector<PassResult> done;
  QStringList told;
  QObject::connect(&runner, &host::SyncRunner::passDone, [&](const PassResult& r) { done.push_back(r); });
  QObject::connect(&runner, &host::SyncRunner::failed, [&](const QString& m) { told << m; });
  auto waitFor = [&](std::size_t n) {
    QElapsedTimer t;
    t.start();
    while (done.size() < n && t.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done.size() >= n;
  };
  ASSERT_TRUE(runner.passNow());
  EXPECT_FALSE(runner.passNow()) << "never two passes at once";
  ASSERT_TRUE(waitFor(1));
  EXPECT_EQ(done[0].status, PassResult::Done) << done[0].error;
  EXPECT_EQ(done[0].counts.sentNew, 1);
  EXPECT_EQ(items().size(), 1u);

  server_->stop();
  for (std::size_t n = 2; n <= 3; ++n) {
    ASSERT_TRUE(runner.passNow());
    ASSERT_TRUE(waitFor(n));
    EXPECT_EQ(done.back().status, PassResult::ServerFailed);
  }
  EXPECT_EQ(told.size(), 1);
  runner.stop();
}

INSTANTIATE_TEST_SUITE_P(Servers, Sync, ::testing::Values("radicale", "xandikos"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace krav

namespace krav {
namespace {

// The password goes in Basic authentication only where it cannot be read
// on the way: https, or http to this machine.
TEST(SyncTransport, ThePasswordTravelsOnlyOverHttpsOrToThisMachine) {
  EXPECT_TRUE(sync::TransportIsSafe("https://cal.example.org/dav/"));
  EXPECT_TRUE(sync::TransportIsSafe("http://127.0.0.1:5232/a/"));
  EXPECT_TRUE(sync::TransportIsSafe("http://localhost/a/"));
  EXPECT_TRUE(sync::TransportIsSafe("http://[::1]:80/a/"));
  EXPECT_FALSE(sync::TransportIsSafe("http://cal.example.org/dav/"));
  EXPECT_FALSE(sync::TransportIsSafe("http://127.0.0.1.evil.org/"));
  EXPECT_FALSE(sync::TransportIsSafe("http://user@localhost.evil.org/"));
  EXPECT_FALSE(sync::TransportIsSafe("ftp://127.0.0.1/"));
  sync::HttpClient http("me", "secret", false);
  const sync::HttpResponse r = http.request("PROPFIND", "http://192.0.2.1/cal/", {});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.error.find("https"), std::string::npos);
  EXPECT_EQ(r.error.find("secret"), std::string::npos);
}

// The state keeps any record line on one line of its own, and a damaged
// state file is refused rather than read as empty (which would send
// everything again).
TEST(SyncState, RecordLinesSurviveTheStateFileAndDamageIsRefused) {
  const std::string odd = std::string("3") + kSep3 + "a\tb%41\r\nc%";
  EXPECT_EQ(sync::DecodeLine(sync::EncodeLine(odd)), odd);
  EXPECT_EQ(sync::EncodeLine(odd).find_first_of("\t\r\n"), std::string::npos);
  test::TempRoot t;
  sync::SyncState s{"http://127.0.0.1/c/", "token:1", {{"u1", "/c/u1.ics", "\"e1\"", odd, true, false}}};
  ASSERT_TRUE(sync::SaveState(t.dataDir(), s));
  sync::SyncState back;
  std::string error;
  ASSERT_TRUE(sync::LoadState(t.dataDir(), back, error)) << error;
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].record, odd);
  EXPECT_TRUE(back.entries[0].foreign);
  EXPECT_EQ(back.url, s.url);
  EXPECT_EQ(back.token, s.token);
  t.write(sync::StateFile(t.dataDir()), {"something else"});
  EXPECT_FALSE(sync::LoadState(t.dataDir(), back, error));
  EXPECT_NE(error.find("sync.state"), std::string::npos);
}

// A multistatus gives its items with their ETags and leaves out the
// collection and what is not found.
TEST(SyncListing, AMultistatusGivesItsItems) {
  const std::string xml =
      "<?xml version=\"1.0\"?><D:multistatus xmlns:D=\"DAV:\">"
      "<D:response><D:href>/c/</D:href><D:propstat><D:prop><D:resourcetype><D:collection/></D:resourcetype>"
      "<D:getetag>\"c\"</D:getetag></D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
      "<D:response><D:href>/c/a.ics</D:href><D:propstat><D:prop><D:getetag>\"1\"</D:getetag><D:resourcetype/>"
      "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>"
      "<D:response><D:href>/c/b.ics</D:href><D:propstat><D:prop><D:getetag/></D:prop>"
      "<D:status>HTTP/1.1 404 Not Found</D:status></D:propstat></D:response></D:multistatus>";
  std::vector<sync::RemoteItem> items;
  ASSERT_TRUE(sync::ParseMultistatus(xml, items));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].href, "/c/a.ics");
  EXPECT_EQ(items[0].etag, "\"1\"");
  EXPECT_FALSE(sync::ParseMultistatus("<html>not found</html>", items));
  EXPECT_FALSE(sync::ParseMultistatus("<<<", items));
}

// A host that stops while its pass waits on a server that never answers
// ends at once, not after the transfer's time-out; the pass cut short leaves
// the store as it was.
TEST(SyncHost, StoppingCutsShortAPassThatWaitsOnASilentServer) {
  static int argc = 1;
  static char name[] = "sync_test";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/krav-no-bus", 1);
  // Takes connections into its backlog and never reads them.
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 8), 0);
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
  test::TempRoot t("a");
  t.write(t.data("mess.dat"), {test::Record("3", "2", "11|01.12.2026|00:00", "22|09:00", "x")});
  ASSERT_TRUE(WriteIniString(shell::UserSettingsFile(t.dataDir()), "Sync", "Url",
                             "http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/cal/"));
  host::SyncRunner runner(t.root(), [] { return std::string("a"); });
  ASSERT_TRUE(runner.passNow());
  QThread::msleep(500);
  QElapsedTimer stopping;
  stopping.start();
  runner.stop();
  EXPECT_LT(stopping.elapsed(), 5000);
  EXPECT_EQ(t.read(t.data("mess.dat")).size(), 1u);
  ::close(listener);
}

}  // namespace
}  // namespace krav
