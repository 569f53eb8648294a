// A CalDAV server of the tests' own: Debian's Radicale or Xandikos started on
// 127.0.0.1 at a free port with a temporary storage folder, with one empty
// calendar, and stopped with the object. A server that cannot be started
// fails the test that asked for it.
#pragma once

#include <sys/types.h>

#include <string>

namespace krav::test {

class CalendarServer {
 public:
  // kind: "radicale" or "xandikos".
  explicit CalendarServer(std::string kind);
  ~CalendarServer();
  CalendarServer(const CalendarServer&) = delete;
  CalendarServer& operator=(const CalendarServer&) = delete;

  // Empty when the server is up; else why it is not.
  const std::string& failure() const { return failure_; }
  const std::string& url() const { return url_; }  // the calendar collection, ending in "/"
  const std::string& login() const { return login_; }
  const std::string& password() const { return password_; }
  // Stops the server, as a network failure would.
  void stop();

 private:
  std::string kind_, dir_, url_, login_, password_, failure_;
  pid_t pid_ = -1;
};

// A TCP port on 127.0.0.1 that nothing listens on at the moment.
int FreePort();

}  // namespace krav::test
