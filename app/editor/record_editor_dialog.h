// TAddMessDlg, the record editor: a wizard of five pages in which the user
// makes a diary note, an accounting entry, a reminder or an action, or looks
// at or changes one. Its state and rules are the EditorState of
// app/logic/record_editor; the dialog maps it to its controls.
#pragma once

#include <QDialog>
#include <array>

#include "app/logic/program_context.h"
#include "app/logic/record_editor.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class QWidget;

namespace krav::app {

class RecurrencePage;

class TAddMessDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kSaved = 200;  // the save mark

  // `openedRecord` empty: a new entry; else the stored line, editable or
  // only to be looked at.
  TAddMessDlg(const ProgramContext& context, const std::string& openedRecord, bool editable,
              QWidget* parent = nullptr);

  // 200 once an entry was saved; read after the modal run.
  int saveMark() const { return saveMark_; }
  // The line saved, once saveMark() says so.
  const std::string& savedLine() const { return savedLine_; }
  // The state the controls hold now.
  EditorState state();
  int page() const;

  void reject() override;  // Escape, "Закрыть", the window's close: asks when typed work would be lost

  void next();          // "Дальше"
  void back();          // "Назад"
  void finish();        // "Готово"
  void openSettings();  // "Настройки ..."
  void browse();        // "Обзор ..."
  void loadOperations();

  const std::vector<CommandItem>& commands() const { return commands_; }
  const Lines& operations() const { return operations_; }

 private:
  QWidget* buildKindPage();
  QWidget* buildSimplePage();
  QWidget* buildReminderPage();
  QWidget* buildOperationPage();
  QWidget* band(const char* name, const char* title, QWidget* page);
  void collect();                        // the controls into state_
  void showState(const EditorState& s);  // a state into the controls
  void present();                        // the page, the panels and the bottom buttons
  void report(const std::string& title, const std::string& message);
  void focusFirstField();  // the first field of the page shown
  void showNextOccurrences();
  void keyPressEvent(QKeyEvent* event) override;

  ProgramContext context_;
  EditorState state_;
  EditorState opened_;  // as the editor opened, to tell typed work
  std::vector<CommandItem> commands_;
  Lines operations_;
  int saveMark_ = 0;
  std::string savedLine_;

  QStackedWidget* notebook_ = nullptr;
  std::array<QRadioButton*, 4> kinds_{};
  RecurrencePage* recurrence_ = nullptr;
  QLineEdit* edit1_ = nullptr;       // simple text
  QLineEdit* maskedit1_ = nullptr;   // simple date
  QLineEdit* maskedit12_ = nullptr;  // simple time
  QWidget* panel3_ = nullptr;
  QWidget* panel4_ = nullptr;
  QWidget* panel5_ = nullptr;
  QLineEdit* edit2_ = nullptr;          // reminder text
  QRadioButton* atStart_ = nullptr;     // RadioButton14
  QRadioButton* atTime_ = nullptr;      // RadioButton15
  QLineEdit* maskedit3_ = nullptr;      // time of day
  QRadioButton* program_ = nullptr;     // RadioButton18
  QRadioButton* command_ = nullptr;     // RadioButton19
  QLineEdit* edit3_ = nullptr;          // program path
  QComboBox* commandList_ = nullptr;    // ComboBox20003
  QComboBox* operationList_ = nullptr;  // ComboBox20002
  QLineEdit* edit5_ = nullptr;          // comment
  QLineEdit* edit6_ = nullptr;          // amount
  QLineEdit* maskedit8_ = nullptr;      // operation date
  QLineEdit* maskedit10_ = nullptr;     // operation time
  QPushButton* backButton_ = nullptr;
  QPushButton* nextButton_ = nullptr;
  QPushButton* doneButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace krav::app
