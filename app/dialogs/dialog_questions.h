// The accounting's questions asked with the message dialog. Only the "Да"
// and "Готово" buttons count as yes; a dialog closed otherwise is a no.
#pragma once

#include "accounting/ledger_files.h"

namespace krav::app {

class DialogQuestions : public accounting::Questions {
 public:
  bool createExampleData() override;
  std::optional<std::string> askRate(const std::string& currency, const std::string& dateText,
                                     const std::string& prompt) override;
};

}  // namespace krav::app
