#include "calendar_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "sync/http.h"

extern char** environ;

namespace krav::test {
namespace {

bool Listening(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  const int port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

CalendarServer::CalendarServer(std::string kind) : kind_(std::move(kind)) {
  char tmpl[] = "/tmp/krav-caldav-XXXXXX";
  if (!::mkdtemp(tmpl)) {
    failure_ = "no temporary folder";
    return;
  }
  dir_ = tmpl;
  const int port = FreePort();
  const std::string origin = "http://127.0.0.1:" + std::to_string(port);
  std::vector<std::string> args;
  if (kind_ == "radicale") {
    login_ = "test";
    password_ = "secret";
    std::ofstream(dir_ + "/users") << login_ << ":" << password_ << "\n";
    args = {"/usr/bin/radicale",
            "--server-hosts",
            "127.0.0.1:" + std::to_string(port),
            "--storage-filesystem-folder",
            dir_ + "/store",
            "--auth-type",
            "htpasswd",
            "--auth-htpasswd-filename",
            dir_ + "/users",
            "--auth-htpasswd-encryption",
            "plain"};
    url_ = origin + "/test/cal/";
  } else {
    args = {"/usr/bin/xandikos", "--defaults", "-d", dir_ + "/data", "-l", "127.0.0.1", "-p",
            std::to_string(port)};
    url_ = origin + "/user/calendars/calendar/";
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string log = dir_ + "/server.log";
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    failure_ = "cannot start " + args[0] + " (scripts/deps.sh installs it)";
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Listening(port)) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      failure_ = kind_ + " stopped at once; see " + log;
      return;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      failure_ = kind_ + " did not listen on port " + std::to_string(port) + " within 30 s";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (kind_ == "radicale") {
    sync::HttpClient http(login_, password_, false);
    const sync::HttpResponse r = http.request("MKCALENDAR", url_, {});
    if (r.status != 201) failure_ = "MKCALENDAR answered " + std::to_string(r.status) + " " + r.error;
  }
}

void CalendarServer::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

CalendarServer::~CalendarServer() {
  stop();
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

}  // namespace krav::test
