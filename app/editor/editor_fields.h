// The small pieces the editor's pages share: date and time fields and the
// quick-fill buttons "Сегодня", "Сейчас" and "Календарь".
#pragma once

#include <QString>

class QLineEdit;
class QToolButton;
class QWidget;

namespace krav::app {

// A field for dd.mm.yyyy or hh:mm; empty at start.
QLineEdit* DateField(const char* name, const QString& accessibleName, QWidget* parent);
QLineEdit* TimeField(const char* name, const QString& accessibleName, QWidget* parent);

// The buttons fill `target` with today's date, the current time or the date
// picked in the pop-up calendar (at the button's lower-left corner); with
// `focus` the field takes the keyboard focus afterwards.
QToolButton* TodayButton(const char* name, QLineEdit* target, QWidget* parent, bool focus);
QToolButton* NowButton(const char* name, QLineEdit* target, QWidget* parent, bool focus);
QToolButton* CalendarButton(const char* name, QLineEdit* target, QWidget* parent, bool focus);

}  // namespace krav::app
