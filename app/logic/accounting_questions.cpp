#include "app/logic/accounting_questions.h"

#include "app/logic/asking.h"
#include "platform/encoding.h"

namespace krav::app {

bool AccountingQuestions::createExampleData() {
  return AskMessage(
             Ru("Бухгалтерские операции"),
             Ru("Список доступных бухгалтерских оперций пуст. Вы хотите, чтобы Кравитор автоматически создал "
                "список основных бухгалтерских операций  и счетов (для примера) ?"),
             "", 2, Ru("Нет"), Ru("Да"), "") == 3;
}

std::optional<std::string> AccountingQuestions::askRate(const std::string&, const std::string&,
                                                        const std::string& prompt) {
  const MessageReply reply =
      Ask().message({Ru("Определение курса валюты"), prompt, 7, "", "", Ru("Готово"), Ru("Отменить")});
  if (reply.button != 3) return std::nullopt;
  return reply.input;
}

}  // namespace krav::app
