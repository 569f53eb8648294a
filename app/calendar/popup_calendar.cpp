#include "app/calendar/popup_calendar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/calendar/day_grid.h"
#include "app/kit/colours.h"
#include "app/kit/qt_text.h"
#include "app/logic/calendar_grid.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

const QColor kFill(0xF0, 0xF8, 0xFF), kFrame(0x88, 0xB0, 0xFF);

QToolButton* SmallButton(QWidget* parent, const QString& text, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setText(text);
  b->setToolTip(hint);
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setFixedSize(18, 18);
  return b;
}

}  // namespace

TPopupDlg::TPopupDlg(const std::string& text, const std::string& title)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      original_(text),
      result_(text) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kFill);
  setPalette(pal);
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 2, 1);
  layout->setSpacing(2);
  auto* titleLine = new QHBoxLayout;
  auto* icon = new QLabel(QString::fromUtf8("▦"), this);
  icon->setStyleSheet("color: " + colours::Css(colours::kBandBlue) + ";");
  auto* titleText = new QLabel(FromCp1251(title), this);
  titleText->setTextFormat(Qt::PlainText);
  QFont bold = titleText->font();
  bold.setBold(true);
  titleText->setFont(bold);
  auto* closeButton = SmallButton(this, QString::fromUtf8("×"), QString::fromUtf8("Закрыть"));
  closeButton->setObjectName("ImgBtn1");
  titleLine->addWidget(icon);
  titleLine->addWidget(titleText, 1);
  titleLine->addWidget(closeButton);
  layout->addLayout(titleLine);

  auto* header = new QHBoxLayout;
  auto* previous = SmallButton(this, QString::fromUtf8("◀"), QString::fromUtf8("Предыдущий месяц"));
  previous->setObjectName("ImgBtn2");
  auto* next = SmallButton(this, QString::fromUtf8("▶"), QString::fromUtf8("Следующий месяц"));
  next->setObjectName("ImgBtn3");
  monthLabel_ = new QLabel(this);
  monthLabel_->setObjectName("Label3");
  monthLabel_->setCursor(Qt::PointingHandCursor);
  yearLabel_ = new QLabel(this);
  yearLabel_->setObjectName("Label4");
  yearLabel_->setCursor(Qt::PointingHandCursor);
  for (QLabel* l : {monthLabel_, yearLabel_}) {
    l->setFont(bold);
    l->installEventFilter(this);
  }
  spin_ = new QSpinBox(this);
  spin_->setObjectName("PopupSpin");
  spin_->setRange(1753, 9999);
  spin_->hide();
  spin_->installEventFilter(this);
  header->addWidget(previous);
  header->addStretch(1);
  header->addWidget(monthLabel_);
  header->addSpacing(5);
  header->addWidget(yearLabel_);
  header->addWidget(spin_);
  header->addStretch(1);
  header->addWidget(next);
  layout->addLayout(header);

  grid_ = new DayGrid(this);
  grid_->setObjectName("StringGrid2");
  layout->addWidget(grid_);

  months_ = new QMenu(this);
  months_->setObjectName("PopupMenu1");
  for (int m = 1; m <= 12; ++m)
    months_->addAction(FromCp1251(CalendarMonthTitle(m)), this, [this, m] { chooseMonth(m); })->setData(m);

  connect(closeButton, &QToolButton::clicked, this, &TPopupDlg::dismiss);
  connect(previous, &QToolButton::clicked, this, &TPopupDlg::previousMonth);
  connect(next, &QToolButton::clicked, this, &TPopupDlg::nextMonth);
  connect(grid_, &DayGrid::picked, this, &TPopupDlg::pick);
  connect(spin_, &QSpinBox::valueChanged, this, [this](int year) {
    if (!spin_->isHidden()) setYear(year);
  });

  const Reading<DayNumber> typed = ReadDay(text);
  const DateTime shown = static_cast<double>(typed ? *typed : Today());
  const Ymd d = DayToYmd(DayOf(shown));
  showMonth(d.year, d.month, d.day);
  grid_->setFocus();
  adjustSize();
  setFixedSize(grid_->width() + 3 + layout->contentsMargins().left(), sizeHint().height());
}

void TPopupDlg::showMonth(int year, int month, int selectedDay) {
  year_ = year;
  month_ = month;
  grid_->setDays(MonthGridDays(year, month));
  grid_->select(YmdToDay(year, month, std::clamp(selectedDay, 1, DaysInMonth(year, month))));
  monthLabel_->setText(FromCp1251(CalendarMonthTitle(month)));
  yearLabel_->setText(FromCp1251(CalendarYearTitle(year)));
}

DayNumber TPopupDlg::selectedDay() const { return grid_->selectedDay(); }
DayNumber TPopupDlg::cellDay(int row, int column) const { return grid_->day(row, column); }
QString TPopupDlg::monthTitle() const { return monthLabel_->text(); }
QString TPopupDlg::yearTitle() const { return yearLabel_->text(); }

void TPopupDlg::finish(const std::string& result) {
  if (closed_) return;  // a pick wins over the dismissal its closing causes
  closed_ = true;
  result_ = result;
  hide();
  emit finished();
}

void TPopupDlg::pick() { finish(DateToText(static_cast<double>(grid_->selectedDay()))); }
void TPopupDlg::dismiss() { finish(original_); }

void TPopupDlg::stepMonth(int step) {
  spin_->hide();
  yearLabel_->show();
  int y = year_, m = month_;
  step < 0 ? PreviousMonth(y, m) : NextMonth(y, m);
  showMonth(y, m, 1);
}

void TPopupDlg::previousMonth() { stepMonth(-1); }
void TPopupDlg::nextMonth() { stepMonth(1); }

void TPopupDlg::chooseMonth(int month) { showMonth(year_, month, 1); }

void TPopupDlg::startYearEdit() {
  spin_->blockSignals(true);
  spin_->setValue(year_);
  spin_->blockSignals(false);
  yearLabel_->hide();
  spin_->show();
  spin_->setFocus();
}

void TPopupDlg::setYear(int year) {
  if (year < 1753 || year > 9999) {
    const Ymd t = DayToYmd(Today());
    showMonth(t.year, t.month, 1);
    return;
  }
  showMonth(year, month_, 1);
}

bool TPopupDlg::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonPress) {
    if (watched == monthLabel_) {
      spin_->hide();
      yearLabel_->show();
      months_->popup(monthLabel_->mapToGlobal(QPoint(0, monthLabel_->height())));
      return true;
    }
    if (watched == yearLabel_) {
      startYearEdit();
      return true;
    }
  }
  if (watched == spin_ && e->type() == QEvent::FocusOut) {
    spin_->hide();
    yearLabel_->show();
  }
  return QWidget::eventFilter(watched, e);
}

void TPopupDlg::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Escape: dismiss(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (spin_->hasFocus()) {
        spin_->hide();
        yearLabel_->show();
        grid_->setFocus();
      } else {
        pick();
      }
      break;
    default: QWidget::keyPressEvent(e);
  }
}

void TPopupDlg::changeEvent(QEvent* e) {
  // Losing activation dismisses, unless the month menu took it.
  if (e->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible() && !months_->isVisible())
    dismiss();
  QWidget::changeEvent(e);
}

void TPopupDlg::closeEvent(QCloseEvent* e) {
  // A Qt pop-up closes itself on a click outside it: that is a dismissal.
  dismiss();
  e->accept();
}

void TPopupDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(kFrame);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

std::string PopupPickDate(int x, int y, const std::string& text, const std::string& title) {
  TPopupDlg popup(text, title);
  const QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect s = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const PopupPosition p =
      PlacePopup(x - s.left(), y - s.top(), popup.width(), popup.height(), s.width(), s.height());
  popup.move(p.left + s.left(), p.top + s.top());
  QEventLoop loop;
  QObject::connect(&popup, &TPopupDlg::finished, &loop, &QEventLoop::quit);
  popup.show();
  popup.activateWindow();
  if (!popup.closed()) loop.exec();
  return popup.result();
}

}  // namespace krav::app
