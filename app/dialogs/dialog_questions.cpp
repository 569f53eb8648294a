#include "app/dialogs/dialog_questions.h"

#include "app/dialogs/message_dialog.h"
#include "platform/encoding.h"

namespace krav::app {

bool DialogQuestions::createExampleData() {
  const int reply = ShowMessageDialog(
      Ru("Бухгалтерские операции"),
      Ru("Список доступных бухгалтерских оперций пуст. Вы хотите, чтобы Кравитор автоматически создал список "
         "основных бухгалтерских операций  и счетов (для примера) ?"),
      "", 2, Ru("Нет"), Ru("Да"), "");
  return reply == 3;
}

std::optional<std::string> DialogQuestions::askRate(const std::string&, const std::string&,
                                                    const std::string& prompt) {
  const int reply =
      ShowMessageDialog(Ru("Определение курса валюты"), prompt, "", 7, Ru("Отменить"), Ru("Готово"), "");
  if (reply != 3) return std::nullopt;
  TMdlg* dialog = TMdlg::instance();
  return dialog ? std::optional(dialog->inputText()) : std::nullopt;
}

}  // namespace krav::app
