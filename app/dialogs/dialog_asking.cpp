#include "app/dialogs/dialog_asking.h"

#include <QApplication>
#include <QFileDialog>

#include "app/calendar/popup_calendar.h"
#include "app/dialogs/message_dialog.h"

namespace krav::app {

MessageReply DialogAsking::message(const MessageRequest& r) {
  TMdlg* dialog = TMdlg::instance();
  if (!dialog) return {};
  MessageReply reply;
  reply.button =
      dialog->ShowMessageDialog(r.title, r.text, r.button1, r.pictureKind, r.button4, r.button3, r.button2,
                                r.defaultButton);
  if (r.pictureKind == 7) reply.input = dialog->inputText();
  return reply;
}

std::string DialogAsking::pickDate(const DateRequest& r) { return PopupPickDate(r.x, r.y, r.text, r.title); }

std::optional<std::string> DialogAsking::pickFile(const FileRequest& r) {
  QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(r.title),
                     QString::fromStdString(r.folder),
                     QString::fromUtf8("Все файлы (*)"));  // every file, with or without a dot
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace krav::app
