// The one seam through which the windows ask the user: questions and error
// reports (the message dialog), dates (the pop-up calendar) and files (the
// file dialog). The program answers with its dialogs; tests install a
// PresetAsking that answers from queues and records every request.
#pragma once

#include <optional>
#include <string>

namespace krav::app {

// A message as ShowMessageDialog takes it (cp1251 texts). Button texts may
// carry "@" and a number after the caption; an empty text hides the button.
struct MessageRequest {
  std::string title, text;
  int pictureKind = 0;  // 1-4 pictures, 7 an input line
  std::string button1, button2, button3, button4;
  // The button Enter presses, 1-4; 0: the single button, else "Да". A
  // question whose "Да" destroys data for good names its "Нет".
  int defaultButton = 0;
  bool operator==(const MessageRequest&) const = default;
};

struct MessageReply {
  int button = 0;     // 1 to 4; 0 when the dialog was closed otherwise (a "no")
  std::string input;  // picture kind 7: the input line's text (the line keeps it between questions)
};

// The pop-up calendar: where it opens, the date text it starts from and its title.
struct DateRequest {
  int x = 0, y = 0;
  std::string text, title;
  bool operator==(const DateRequest&) const = default;
};

// The file dialog: the folder it opens in and its title (filesystem UTF-8).
struct FileRequest {
  std::string title, folder;
  bool operator==(const FileRequest&) const = default;
};

class Asking {
 public:
  virtual ~Asking() = default;
  virtual MessageReply message(const MessageRequest& request) = 0;
  // The picked date as dd.mm.yyyy, or request.text unchanged when dismissed.
  virtual std::string pickDate(const DateRequest& request) = 0;
  // The chosen file (filesystem UTF-8), nothing when cancelled.
  virtual std::optional<std::string> pickFile(const FileRequest& request) = 0;
  // The accounting setup dialog of a user, shown modally; the record editor
  // opens it this way, so that it need not link the accounting windows.
  virtual void openAccountingSetup(const std::string& root, const std::string& user) = 0;
};

// The service the windows ask through; a PresetAsking without answers until
// the program installs its dialogs.
Asking& Ask();
// Installs a service for the life of the object, then restores the previous one.
class ScopedAsking {
 public:
  explicit ScopedAsking(Asking& asking);
  ~ScopedAsking();
  ScopedAsking(const ScopedAsking&) = delete;
  ScopedAsking& operator=(const ScopedAsking&) = delete;

 private:
  Asking* previous_;
};

// A message in ShowMessageDialog's argument order; the pressed button, 0 for none.
int AskMessage(const std::string& title, const std::string& text, const std::string& button1, int pictureKind,
               const std::string& button4, const std::string& button3, const std::string& button2,
               int defaultButton = 0);

}  // namespace krav::app
