// The program's only message box: a speech balloon of the agent character
// with a title, a text, a picture, up to four buttons and, for picture kind
// 7, an input line. One instance lives from start to end of the program.
#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "app/logic/agent_character.h"
#include "app/logic/message_layout.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;
class QWidget;

namespace krav::app {

// Texts are cp1251, as everywhere outside the widgets.
class TMdlg : public QDialog {
  Q_OBJECT
 public:
  // Loads the agent character "Krav2000" from root + "agent.acs".
  explicit TMdlg(const std::string& root, QWidget* parent = nullptr);
  ~TMdlg() override;

  // The reply is the number of the pressed button, 1 to 4. It is 0 when the
  // dialog was closed otherwise (Esc, the window manager) and when the call
  // returned at once because the dialog was already showing: 0 is a "no".
  // Enter presses `defaultButton` (1-4; 0: the single button, else "Да"),
  // Escape closes (0). The balloon and the character appear beside the
  // window that asked, inside its screen's work area.
  int ShowMessageDialog(const std::string& title, const std::string& text, const std::string& button1,
                        int pictureKind, const std::string& button4, const std::string& button3,
                        const std::string& button2, int defaultButton = 0);
  int defaultButton() const { return default_; }

  // The input line of picture kind 7; it keeps its text between calls.
  std::string inputText() const;
  int pointer() const { return pointer_; }
  int lastReply() const { return reply_; }
  AgentCharacter& agent() { return agent_; }
  QPushButton* button(int number) const { return buttons_.at(number - 1); }
  QLineEdit* inputLine() const { return edit1_; }
  QLabel* textLabel() const { return label2_; }
  // The picture shown now (1-4), 0 for none.
  int shownPicture() const;

  // The dialog the program shows its messages with; null before it exists.
  static TMdlg* instance();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;

 private:
  void arrangePage();
  void applyShape();
  QPainterPath balloonPath() const;
  void layOut(const std::string& title, const std::string& text, const std::array<std::string, 4>& buttons,
              bool input);
  void placeBesideAskingWindow();

  std::string root_;
  AgentCharacter agent_;
  QWidget* page_;
  QLabel* caption_;
  std::array<QLabel*, 4> images_{};
  QLabel* label2_;
  QLineEdit* edit1_;
  QFrame* shape1_;
  std::array<QPushButton*, 4> buttons_{};
  int pointer_ = 0;
  int reply_ = 0;
  int default_ = 0;
};

// The caption of a button text: the part before the first "@".
std::string ButtonCaption(const std::string& text);

// Shows a message with the program's dialog; 0 when there is none.
int ShowMessageDialog(const std::string& title, const std::string& text, const std::string& button1,
                      int pictureKind, const std::string& button4, const std::string& button3,
                      const std::string& button2);

}  // namespace krav::app
