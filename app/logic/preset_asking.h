// The asking service of tests: answers come from queues given beforehand
// ("the next question is answered with button 3"), and every request is
// recorded so that a test can check what was asked. A request without a
// preset answer is answered as dismissed: button 0, the date unchanged, no file.
#pragma once

#include <deque>
#include <vector>

#include "app/logic/asking.h"

namespace krav::app {

class PresetAsking : public Asking {
 public:
  void answerNext(int button, std::string input = {}) { replies_.push_back({button, std::move(input)}); }
  void pickNextDate(std::string date) { dates_.push_back(std::move(date)); }
  void pickNextFile(std::optional<std::string> file) { files_.push_back(std::move(file)); }

  MessageReply message(const MessageRequest& request) override;
  std::string pickDate(const DateRequest& request) override;
  std::optional<std::string> pickFile(const FileRequest& request) override;
  void openAccountingSetup(const std::string& root, const std::string& user) override {
    setupRequests_.push_back(root + user);
  }
  const std::vector<std::string>& setupRequests() const { return setupRequests_; }

  const std::vector<MessageRequest>& messages() const { return messages_; }
  const std::vector<DateRequest>& dateRequests() const { return dateRequests_; }
  const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }
  // Preset answers nobody asked for.
  std::size_t unusedAnswers() const { return replies_.size() + dates_.size() + files_.size(); }

 private:
  std::deque<MessageReply> replies_;
  std::deque<std::string> dates_;
  std::deque<std::optional<std::string>> files_;
  std::vector<MessageRequest> messages_;
  std::vector<DateRequest> dateRequests_;
  std::vector<FileRequest> fileRequests_;
  std::vector<std::string> setupRequests_;
};

}  // namespace krav::app
