#include "app/editor/editor_fields.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include "app/kit/qt_text.h"
#include "app/logic/asking.h"
#include "engine/dates.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

QToolButton* Quick(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(QString::fromUtf8(caption));
  b->setAccessibleName(QString::fromUtf8(caption));
  b->setToolTip(QString::fromUtf8(caption));
  b->setFocusPolicy(Qt::StrongFocus);
  b->setFixedHeight(22);
  return b;
}

void Fill(QLineEdit* target, const std::string& text, bool focus) {
  target->setText(FromCp1251(text));
  if (focus) target->setFocus();  // a field that cannot take the focus is left alone
}

}  // namespace

QLineEdit* DateField(const char* name, const QString& accessibleName, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setAccessibleName(accessibleName);
  e->setPlaceholderText(QString::fromUtf8("дд.мм.гггг"));
  e->setMaxLength(10);
  e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9.]{0,10}"), e));
  return e;
}

QLineEdit* TimeField(const char* name, const QString& accessibleName, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setAccessibleName(accessibleName);
  e->setPlaceholderText(QString::fromUtf8("чч:мм"));
  e->setMaxLength(5);
  e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9:]{0,5}"), e));
  return e;
}

QToolButton* TodayButton(const char* name, QLineEdit* target, QWidget* parent, bool focus) {
  QToolButton* b = Quick(name, "Сегодня", parent);
  QObject::connect(b, &QToolButton::clicked, b,
                   [target, focus] { Fill(target, DateToText(static_cast<double>(Today())), focus); });
  return b;
}

QToolButton* NowButton(const char* name, QLineEdit* target, QWidget* parent, bool focus) {
  QToolButton* b = Quick(name, "Сейчас", parent);
  QObject::connect(b, &QToolButton::clicked, b, [target, focus] { Fill(target, TimeToText(Now()), focus); });
  return b;
}

QToolButton* CalendarButton(const char* name, QLineEdit* target, QWidget* parent, bool focus) {
  QToolButton* b = Quick(name, "Календарь", parent);
  QObject::connect(b, &QToolButton::clicked, b, [b, target, focus] {
    const QPoint at = b->mapToGlobal(QPoint(0, b->height()));
    Fill(target, Ask().pickDate({at.x(), at.y(), ToCp1251(target->text()), Ru("Календарь")}), focus);
  });
  return b;
}

}  // namespace krav::app
