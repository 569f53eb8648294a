// The accounting's questions asked through the asking service. Only the
// "Да" and "Готово" buttons (button 3) count as yes; a dialog closed
// otherwise is a no.
#pragma once

#include "accounting/ledger_files.h"

namespace krav::app {

class AccountingQuestions : public accounting::Questions {
 public:
  bool createExampleData() override;
  std::optional<std::string> askRate(const std::string& currency, const std::string& dateText,
                                     const std::string& prompt) override;
};

}  // namespace krav::app
