#include "app/logic/asking.h"

#include "app/logic/preset_asking.h"

namespace krav::app {
namespace {

Asking*& Current() {
  static PresetAsking unanswered;
  static Asking* current = &unanswered;
  return current;
}

}  // namespace

Asking& Ask() { return *Current(); }

ScopedAsking::ScopedAsking(Asking& asking) : previous_(Current()) { Current() = &asking; }
ScopedAsking::~ScopedAsking() { Current() = previous_; }

int AskMessage(const std::string& title, const std::string& text, const std::string& button1, int pictureKind,
               const std::string& button4, const std::string& button3, const std::string& button2,
               int defaultButton) {
  return Ask().message({title, text, pictureKind, button1, button2, button3, button4, defaultButton}).button;
}

MessageReply PresetAsking::message(const MessageRequest& request) {
  messages_.push_back(request);
  if (replies_.empty()) return {};
  MessageReply r = std::move(replies_.front());
  replies_.pop_front();
  return r;
}

std::string PresetAsking::pickDate(const DateRequest& request) {
  dateRequests_.push_back(request);
  if (dates_.empty()) return request.text;
  std::string d = std::move(dates_.front());
  dates_.pop_front();
  return d;
}

std::optional<std::string> PresetAsking::pickFile(const FileRequest& request) {
  fileRequests_.push_back(request);
  if (files_.empty()) return std::nullopt;
  auto f = std::move(files_.front());
  files_.pop_front();
  return f;
}

}  // namespace krav::app
