// The program's asking service: the message dialog, the pop-up calendar and
// the file dialog.
#pragma once

#include "app/logic/asking.h"

namespace krav::app {

class DialogAsking : public Asking {
 public:
  MessageReply message(const MessageRequest& request) override;
  std::string pickDate(const DateRequest& request) override;
  std::optional<std::string> pickFile(const FileRequest& request) override;
  // The dialogs know no accounting window: the program's own service shows it.
  void openAccountingSetup(const std::string&, const std::string&) override {}
};

}  // namespace krav::app
