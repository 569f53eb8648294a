// Page 1 of the record editor, "Установка регулярности и числа повторений":
// the six repetitions with their parameters, the range panel, and the
// layouts of ApplyRecurrenceLayout. It shows a RecurrenceState and reads it
// back; the checks and the schedule text are in app/logic/recurrence.
#pragma once

#include <QWidget>
#include <array>

#include "app/logic/recurrence.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace krav::app {

class RecurrencePage : public QWidget {
  Q_OBJECT
 public:
  explicit RecurrencePage(QWidget* parent);

  void load(const RecurrenceState& s);
  // The page's part of the state (the time of day is the reminder page's).
  void store(RecurrenceState& s) const;
  // The labels, the shown controls and the one-column or staircase layout.
  void applyLayout();
  // Every radio button, button, spin field and list: off in view mode.
  void setControlsEnabled(bool enabled);

  // The line under the page telling the next occurrences (or why none).
  void showNext(const QString& text);
  QLabel* nextLabel() const { return next_; }

  QRadioButton* repetitionButton(int repetition) const;
  QRadioButton* rangeButton(int range) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 signals:
  // Any control of the page changed.
  void edited();

 private:
  QToolButton* quickButton(const char* name, QLineEdit* target, bool today);
  void updateUnits();

  std::array<QRadioButton*, 6> repetitions_{};  // codes 1 to 6
  std::array<QRadioButton*, 3> ranges_{};       // codes 11 to 13
  QLineEdit* onceDate_;                         // MaskEdit5
  QComboBox* weekday_;                          // ComboBox20001
  QSpinBox* monthDay_;                          // SpinEdit20004
  QLabel* monthWord_;
  QLineEdit* yearDay_;                   // maskedit9
  std::array<QSpinBox*, 3> interval_{};  // SpinEdit20001-20003
  std::array<QLabel*, 3> intervalWords_{};
  QLineEdit* startDate_;  // maskedit4
  QLineEdit* startTime_;  // Maskedit7
  QSpinBox* count_;       // SpinEdit20005
  QLabel* countWord_;
  QLineEdit* endDate_;  // maskedit2
  QLabel* rangeTitle_;
  QLabel* next_ = nullptr;
  QWidget* rangePanel_;                  // Panel2
  std::vector<QWidget*> parameters_[7];  // per repetition code
  std::vector<QWidget*> rangeParameters_[3];
  std::vector<QWidget*> intervalStart_;
  QImage background_;
  bool staircase_ = false;
  bool built_ = false;  // the layout waits until every control exists
};

// The page's background picture, drawn here.
QImage RecurrenceBackground(int width, int height);

}  // namespace krav::app
