// Window messages between processes of one machine. A window that receives
// messages owns the datagram socket RUNTIME/wnd-H, H being its handle; a
// message is the ASCII datagram "MSG WPARAM LPARAM", and a sent (not posted)
// message adds the path of the sender's reply socket, to which the receiver
// answers "done" once the message is handled.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace krav {

using WindowHandle = std::int64_t;

// Sends and returns at once; a message to no window is lost silently.
void PostWindowMessage(WindowHandle to, int msg, std::int64_t wParam, std::int64_t lParam);

// Sends and waits until the receiver has handled the message, at most
// timeoutMs. Returns false at once when there is no such window, and false
// after the wait when no answer came.
bool SendWindowMessage(WindowHandle to, int msg, std::int64_t wParam, std::int64_t lParam, int timeoutMs = 5000);

// True when a live window owns that handle.
bool WindowExists(WindowHandle handle);

// A message datagram as read: "MSG WPARAM LPARAM [REPLY-PATH]", decimal
// numbers, MSG within the range of an int. False for anything else.
struct ParsedMessage {
  int msg = 0;
  std::int64_t wParam = 0, lParam = 0;
  std::string replyTo;
};
bool ParseWindowMessage(std::string_view datagram, ParsedMessage& out);

class MessageWindow {
 public:
  using Handler = std::function<void(int msg, std::int64_t wParam, std::int64_t lParam)>;

  // Takes a free handle and binds its socket. valid() is false when the
  // runtime folder cannot hold a socket.
  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  bool valid() const { return fd_ >= 0; }
  WindowHandle handle() const { return handle_; }
  // The descriptor to watch for reading in an event loop.
  int fd() const { return fd_; }

  // Handles every message that waits; returns how many.
  int dispatch();
  // Waits up to timeoutMs for a message, then dispatches what came.
  int waitAndDispatch(int timeoutMs);

  // Delivers a message directly (a message sent to a window of this process).
  void deliver(int msg, std::int64_t wParam, std::int64_t lParam);

 private:
  Handler handler_;
  WindowHandle handle_ = 0;
  int fd_ = -1;
  std::string path_;
};

}  // namespace krav
