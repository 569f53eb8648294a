#include "app/editor/recurrence_page.h"

#include <algorithm>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include "app/editor/editor_fields.h"
#include "app/kit/colours.h"
#include "app/kit/qt_text.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr int kTop = 6, kRow = 22, kParamX = 270, kIntervalX = 190, kOnceX = 226;
// The staircase of daily, weekly, monthly, yearly and interval.
constexpr int kStairs[] = {22, 25, 29, 34, 41};

}  // namespace

QImage RecurrenceBackground(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter g(&image);
  QLinearGradient sky(0, 0, width, height);
  sky.setColorAt(0, QColor(0xE8, 0xF2, 0xFF));
  sky.setColorAt(1, QColor(0xC4, 0xDC, 0xF7));
  g.fillRect(image.rect(), sky);
  // Calendar leaves in the corner, pale.
  g.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < 3; ++i) {
    const QRectF leaf(width - 150 + i * 18, height - 130 + i * 12, 90, 100);
    g.setPen(QPen(QColor(0x9F, 0xBF, 0xE4), 1.5));
    g.setBrush(QColor(0xF6, 0xFA, 0xFF));
    g.drawRoundedRect(leaf, 6, 6);
    g.fillRect(QRectF(leaf.left() + 1, leaf.top() + 1, leaf.width() - 2, 18), QColor(0xB5, 0xD0, 0xF0));
  }
  return image;
}

RecurrencePage::RecurrencePage(QWidget* parent) : QWidget(parent) {
  setObjectName("RecurrencePage");
  const char* const names[] = {"RadioButton5", "RadioButton7",  "RadioButton8",
                               "RadioButton9", "RadioButton10", "RadioButton6"};
  for (int code = kOnce; code <= kInterval; ++code) {
    auto* r = new QRadioButton(FromCp1251(RepetitionLabel(code, false)), this);
    r->setObjectName(names[code - 1]);
    repetitions_[code - 1] = r;
    connect(r, &QRadioButton::toggled, this, [this](bool on) {
      if (on) applyLayout();
    });
  }
  repetitions_[0]->setChecked(true);

  const int once = kTop, weekly = kTop + 2 * kRow, monthly = kTop + 3 * kRow, yearly = kTop + 4 * kRow,
            interval = kTop + 5 * kRow;
  onceDate_ = DateField("MaskEdit5", U("Дата одноразового события"), this);
  onceDate_->setGeometry(kOnceX, once, 86, 22);
  parameters_[kOnce] = {onceDate_, quickButton("SpeedButton9", onceDate_, true),
                        quickButton("SpeedButton10", onceDate_, false)};
  parameters_[kOnce][1]->move(kOnceX + 90, once);
  parameters_[kOnce][2]->move(kOnceX + 94 + parameters_[kOnce][1]->sizeHint().width(), once);

  weekday_ = new QComboBox(this);
  weekday_->setObjectName("ComboBox20001");
  weekday_->setAccessibleName(U("День недели"));
  for (const auto& d : Weekdays()) weekday_->addItem(FromCp1251(d));
  weekday_->setCurrentIndex(-1);
  weekday_->setGeometry(kParamX, weekly, 160, 22);
  parameters_[kWeekly] = {weekday_};

  monthDay_ = new QSpinBox(this);
  monthDay_->setObjectName("SpinEdit20004");
  monthDay_->setAccessibleName(U("Число месяца"));
  monthDay_->setRange(1, 31);
  monthDay_->setGeometry(kParamX, monthly, 60, 22);
  monthWord_ = new QLabel(U("числа"), this);
  monthWord_->setGeometry(kParamX + 66, monthly, 60, 22);
  parameters_[kMonthly] = {monthDay_, monthWord_};

  yearDay_ = new QLineEdit(this);
  yearDay_->setObjectName("maskedit9");
  yearDay_->setAccessibleName(U("День и месяц ежегодного события"));
  yearDay_->setPlaceholderText(U("дд.мм"));
  yearDay_->setMaxLength(5);
  yearDay_->setGeometry(kParamX, yearly, 60, 22);
  parameters_[kYearly] = {yearDay_};

  const char* const spinNames[] = {"SpinEdit20001", "SpinEdit20002", "SpinEdit20003"};
  const char* const spinLabels[] = {"Дней", "Часов", "Минут"};
  const int maxima[] = {99, 23, 59};
  for (int i = 0; i < 3; ++i) {
    auto* spin = new QSpinBox(this);
    spin->setObjectName(spinNames[i]);
    spin->setAccessibleName(U(spinLabels[i]));
    spin->setRange(0, maxima[i]);
    spin->setGeometry(kIntervalX + i * 100, interval, 46, 22);
    auto* word = new QLabel(this);
    word->setGeometry(kIntervalX + 50 + i * 100, interval, 48, 22);
    interval_[i] = spin;
    intervalWords_[i] = word;
    parameters_[kInterval].push_back(spin);
    parameters_[kInterval].push_back(word);
    connect(spin, &QSpinBox::valueChanged, this, &RecurrencePage::updateUnits);
  }

  // The range panel.
  rangePanel_ = new QWidget(this);
  rangePanel_->setObjectName("Panel2");
  rangePanel_->setGeometry(0, kTop + 6 * kRow + 2, 511, 118);
  rangeTitle_ = new QLabel(U("Количество повторений этого события начиная с "), rangePanel_);
  QFont bold = rangeTitle_->font();
  bold.setBold(true);
  rangeTitle_->setFont(bold);
  rangeTitle_->setGeometry(8, 0, 495, 20);
  startDate_ = DateField("maskedit4", U("Дата начала повторений"), rangePanel_);
  startDate_->setGeometry(28, 21, 90, 22);
  auto* today = TodayButton("SpeedButton2", startDate_, rangePanel_, false);
  today->move(122, 21);
  auto* calendar = CalendarButton("SpeedButton5", startDate_, rangePanel_, false);
  calendar->move(today->x() + today->sizeHint().width() + 4, 21);
  startTime_ = TimeField("Maskedit7", U("Время начала повторений"), rangePanel_);
  startTime_->setGeometry(calendar->x() + calendar->sizeHint().width() + 16, 21, 56, 22);
  auto* now = NowButton("SpeedButton13", startTime_, rangePanel_, false);
  now->move(startTime_->x() + 60, 21);
  intervalStart_ = {startTime_, now};

  const char* const rangeNames[] = {"RadioButton11", "RadioButton12", "RadioButton13"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new QRadioButton(FromCp1251(RangeLabel(kEndless + i, false)), rangePanel_);
    r->setObjectName(rangeNames[i]);
    r->setGeometry(8, 46 + i * 24, 250, 22);
    ranges_[i] = r;
    connect(r, &QRadioButton::toggled, this, [this](bool on) {
      if (on) applyLayout();
    });
  }
  ranges_[0]->setChecked(true);
  count_ = new QSpinBox(rangePanel_);
  count_->setObjectName("SpinEdit20005");
  count_->setAccessibleName(U("Количество повторений"));
  count_->setRange(1, 370);
  count_->setGeometry(170, 70, 60, 22);
  countWord_ = new QLabel(rangePanel_);
  countWord_->setGeometry(236, 70, 40, 22);
  connect(count_, &QSpinBox::valueChanged, this, &RecurrencePage::updateUnits);
  rangeParameters_[1] = {count_, countWord_};
  endDate_ = DateField("maskedit2", U("Дата окончания повторений"), rangePanel_);
  endDate_->setGeometry(170, 94, 90, 22);
  auto* endToday = TodayButton("SpeedButton3", endDate_, rangePanel_, false);
  endToday->move(264, 94);
  auto* endCalendar = CalendarButton("SpeedButton6", endDate_, rangePanel_, false);
  endCalendar->move(endToday->x() + endToday->sizeHint().width() + 4, 94);
  rangeParameters_[2] = {endDate_, endToday, endCalendar};

  next_ = new QLabel(this);
  next_->setObjectName("NextOccurrences");
  next_->setTextFormat(Qt::PlainText);
  next_->setWordWrap(true);
  next_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  // Every change of the page is told, for the next occurrences.
  for (QLineEdit* e : findChildren<QLineEdit*>())
    connect(e, &QLineEdit::textChanged, this, &RecurrencePage::edited);
  for (QSpinBox* s : findChildren<QSpinBox*>()) connect(s, &QSpinBox::valueChanged, this, &RecurrencePage::edited);
  for (QComboBox* c : findChildren<QComboBox*>())
    connect(c, &QComboBox::currentIndexChanged, this, &RecurrencePage::edited);
  for (QRadioButton* r : findChildren<QRadioButton*>())
    connect(r, &QRadioButton::toggled, this, &RecurrencePage::edited);

  built_ = true;
  updateUnits();
  applyLayout();
}

void RecurrencePage::showNext(const QString& text) {
  next_->setText(text);
  next_->setToolTip(text);
}

void RecurrencePage::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // Under the range panel, to the page's bottom.
  const int top = rangePanel_->geometry().bottom() + 1;
  next_->setGeometry(8, top, width() - 16, std::max(18, height() - top));
}

QToolButton* RecurrencePage::quickButton(const char* name, QLineEdit* target, bool today) {
  return today ? TodayButton(name, target, this, false) : CalendarButton(name, target, this, false);
}

QRadioButton* RecurrencePage::repetitionButton(int repetition) const { return repetitions_.at(repetition - 1); }
QRadioButton* RecurrencePage::rangeButton(int range) const { return ranges_.at(range - kEndless); }

void RecurrencePage::updateUnits() {
  if (!built_) return;
  intervalWords_[0]->setText(FromCp1251(DaysWord(interval_[0]->value())));
  intervalWords_[1]->setText(FromCp1251(HoursWord(interval_[1]->value())));
  intervalWords_[2]->setText(FromCp1251(MinutesWord(interval_[2]->value())));
  countWord_->setText(FromCp1251(TimesWord(count_->value())));
}

void RecurrencePage::applyLayout() {
  if (!built_) return;
  int selected = kOnce;
  for (int code = kOnce; code <= kInterval; ++code) {
    QRadioButton* r = repetitions_[code - 1];
    if (r->isChecked()) selected = code;
    r->setText(FromCp1251(RepetitionLabel(code, r->isChecked())));
    for (QWidget* w : parameters_[code]) w->setVisible(r->isChecked());
  }
  int range = kEndless;
  for (int i = 0; i < 3; ++i) {
    ranges_[i]->setText(FromCp1251(RangeLabel(kEndless + i, ranges_[i]->isChecked())));
    if (ranges_[i]->isChecked()) range = kEndless + i;
    for (QWidget* w : rangeParameters_[i]) w->setVisible(ranges_[i]->isChecked());
  }
  (void)range;
  staircase_ = selected != kOnce;
  rangePanel_->setVisible(staircase_);
  for (QWidget* w : intervalStart_) w->setVisible(selected == kInterval);
  if (background_.size() != size() && width() > 0 && height() > 0)
    background_ = RecurrenceBackground(width(), height());
  for (int code = kOnce; code <= kInterval; ++code) {
    QRadioButton* r = repetitions_[code - 1];
    const int x = staircase_ && code > kOnce ? kStairs[code - kDaily] : 8;
    r->setGeometry(x, kTop + (code - 1) * kRow, r->sizeHint().width(), 22);
    // On the picture each button takes the colour of the pixel under its
    // corner: it is drawn without a background of its own.
    r->setAutoFillBackground(false);
  }
  update();
}

void RecurrencePage::paintEvent(QPaintEvent*) {
  QPainter g(this);
  if (staircase_) {
    if (background_.size() != size()) background_ = RecurrenceBackground(width(), height());
    g.drawImage(0, 0, background_);
  } else {
    g.fillRect(rect(), Qt::white);
  }
}

void RecurrencePage::load(const RecurrenceState& s) {
  repetitionButton(s.repetition)->setChecked(true);
  onceDate_->setText(FromCp1251(s.onceDate));
  weekday_->setCurrentIndex(s.weekday);
  monthDay_->setValue(s.monthDay);
  yearDay_->setText(FromCp1251(s.yearDay));
  interval_[0]->setValue(s.days);
  interval_[1]->setValue(s.hours);
  interval_[2]->setValue(s.minutes);
  startDate_->setText(FromCp1251(s.startDate));
  startTime_->setText(FromCp1251(s.startTime));
  rangeButton(s.range)->setChecked(true);
  count_->setValue(s.count);
  endDate_->setText(FromCp1251(s.endDate));
  applyLayout();
}

void RecurrencePage::store(RecurrenceState& s) const {
  for (int code = kOnce; code <= kInterval; ++code)
    if (repetitions_[code - 1]->isChecked()) s.repetition = code;
  s.onceDate = ToCp1251(onceDate_->text());
  s.weekday = weekday_->currentIndex();
  s.monthDay = monthDay_->value();
  s.yearDay = ToCp1251(yearDay_->text());
  s.days = interval_[0]->value();
  s.hours = interval_[1]->value();
  s.minutes = interval_[2]->value();
  s.startDate = ToCp1251(startDate_->text());
  s.startTime = ToCp1251(startTime_->text());
  for (int i = 0; i < 3; ++i)
    if (ranges_[i]->isChecked()) s.range = kEndless + i;
  s.count = count_->value();
  s.endDate = ToCp1251(endDate_->text());
}

void RecurrencePage::setControlsEnabled(bool enabled) {
  for (QWidget* w : findChildren<QRadioButton*>()) w->setEnabled(enabled);
  for (QWidget* w : findChildren<QToolButton*>()) w->setEnabled(enabled);
  for (QWidget* w : findChildren<QSpinBox*>()) w->setEnabled(enabled);
  for (QWidget* w : findChildren<QComboBox*>()) w->setEnabled(enabled);
}

}  // namespace krav::app
