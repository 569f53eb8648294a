#include "app/editor/record_editor_dialog.h"

#include <QComboBox>
#include <QDoubleValidator>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "accounting/ledger_files.h"
#include "app/editor/editor_fields.h"
#include "app/editor/recurrence_page.h"
#include "app/kit/colours.h"
#include "app/kit/qt_text.h"
#include "app/kit/row_icons.h"
#include "app/logic/accounting_questions.h"
#include "app/logic/asking.h"
#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The header's picture: a notebook with a pencil, drawn here.
QPixmap HeaderPicture() {
  QPixmap pm(48, 48);
  pm.fill(Qt::transparent);
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(colours::kBandBlue, 1.5));
  g.setBrush(Qt::white);
  g.drawRoundedRect(QRectF(8, 4, 30, 40), 3, 3);
  for (int y = 14; y <= 36; y += 6) g.drawLine(QPointF(13, y), QPointF(33, y));
  g.setPen(QPen(QColor(0xC0, 0x80, 0x20), 4, Qt::SolidLine, Qt::RoundCap));
  g.drawLine(QPointF(28, 36), QPointF(44, 12));
  return pm;
}

// The small pictures of the four kinds.
QIcon KindIcon(int kind) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter g(&pm);
  g.setRenderHint(QPainter::Antialiasing);
  const QColor colours[] = {QColor(0x40, 0x70, 0xC0), QColor(0x2E, 0x9E, 0x4C), QColor(0xE0, 0x9A, 0x10),
                            QColor(0x90, 0x40, 0xB0)};
  g.setBrush(colours[kind - 1]);
  g.setPen(Qt::NoPen);
  if (kind == 3) g.drawEllipse(QRectF(2, 2, 12, 12));
  else if (kind == 4) g.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
  else g.drawRoundedRect(QRectF(2, 2, 12, 12), 2, 2);
  return QIcon(pm);
}

QLineEdit* TextField(const char* name, const char* label, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setAccessibleName(U(label));
  return e;
}

QPushButton* BottomButton(const char* name, const char* caption, const char* hint, QWidget* parent) {
  auto* b = new QPushButton(U(caption), parent);
  b->setObjectName(name);
  b->setAccessibleName(U(caption));
  if (hint) b->setToolTip(U(hint));
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TAddMessDlg::TAddMessDlg(const ProgramContext& context, const std::string& openedRecord, bool editable,
                         QWidget* parent)
    : QDialog(parent), context_(context) {
  setObjectName("AddMessDlg");
  setFixedSize(511, 388);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  commands_ = BuildCommandList(context_.root, context_.userSettings);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The header panel.
  auto* header = new QWidget(this);
  header->setObjectName("Panel7");
  auto* h = new QGridLayout(header);
  h->setContentsMargins(10, 6, 10, 6);
  auto* title = new QLabel(U("Редактирование записей"), header);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  auto* text = new QLabel(
      U("Этот мастер даст вам возможность создавать и редактировать записи, напоминания и бухгалтерские операции"),
      header);
  text->setWordWrap(true);
  auto* picture = new QLabel(header);
  picture->setPixmap(HeaderPicture());
  h->addWidget(title, 0, 0);
  h->addWidget(text, 1, 0);
  h->addWidget(picture, 0, 1, 2, 1);
  h->setColumnStretch(0, 1);
  layout->addWidget(header);

  notebook_ = new QStackedWidget(this);
  notebook_->setObjectName("Notebook1");
  notebook_->addWidget(buildKindPage());
  auto* recurrencePage = new QWidget(notebook_);
  auto* rv = new QVBoxLayout(recurrencePage);
  rv->setContentsMargins(0, 0, 0, 0);
  rv->setSpacing(0);
  rv->addWidget(band("Caption20002", "Установка регулярности и числа повторений", recurrencePage));
  recurrence_ = new RecurrencePage(recurrencePage);
  rv->addWidget(recurrence_, 1);
  notebook_->addWidget(recurrencePage);
  notebook_->addWidget(buildSimplePage());
  notebook_->addWidget(buildReminderPage());
  notebook_->addWidget(buildOperationPage());
  layout->addWidget(notebook_, 1);

  auto* bottom = new QWidget(this);
  bottom->setObjectName("Panel1");
  auto* b = new QHBoxLayout(bottom);
  b->setContentsMargins(8, 4, 8, 6);
  backButton_ = BottomButton("SpeedButton24", "Назад", "Предыдущий день", bottom);
  nextButton_ = BottomButton("SpeedButton26", "Дальше", "Следующий день", bottom);
  doneButton_ = BottomButton("SpeedButton1", "Готово", nullptr, bottom);
  closeButton_ = BottomButton("SpeedButton4", "Закрыть ", nullptr, bottom);
  b->addWidget(backButton_);
  b->addWidget(nextButton_);
  b->addStretch();
  b->addWidget(doneButton_);
  b->addWidget(closeButton_);
  layout->addWidget(bottom);
  connect(backButton_, &QPushButton::clicked, this, &TAddMessDlg::back);
  connect(nextButton_, &QPushButton::clicked, this, &TAddMessDlg::next);
  connect(doneButton_, &QPushButton::clicked, this, &TAddMessDlg::finish);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);

  state_ = OpenRecord(openedRecord, editable, commands_);
  opened_ = state_;
  connect(recurrence_, &RecurrencePage::edited, this, &TAddMessDlg::showNextOccurrences);
  setWindowTitle(U(state_.mode == EditorMode::New    ? "Новая запись"
                   : state_.mode == EditorMode::Edit ? "Редактирование записи"
                                                     : "Просмотр записи"));
  showState(state_);
  if (state_.page == kOperationPage) loadOperations();
  if (state_.mode == EditorMode::View) {
    // Looking only: every choice and button off; the fields stay readable.
    for (QWidget* w : findChildren<QRadioButton*>()) w->setEnabled(false);
    for (QWidget* w : findChildren<QAbstractButton*>()) w->setEnabled(false);
    for (QWidget* w : findChildren<QSpinBox*>()) w->setEnabled(false);
    for (QWidget* w : findChildren<QComboBox*>()) w->setEnabled(false);
    closeButton_->setEnabled(true);
  }
  present();
}

QWidget* TAddMessDlg::band(const char* name, const char* title, QWidget* page) {
  auto* l = new QLabel(U(title), page);
  l->setObjectName(name);
  l->setStyleSheet("background: " + colours::Css(colours::kBandBlue) +
                   "; color: white; font-weight: bold; padding: 2px 6px;");
  return l;
}

QWidget* TAddMessDlg::buildKindPage() {
  auto* page = new QWidget(notebook_);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(band("Caption20001", "Выбор типа записи", page));
  const char* const captions[] = {"Простая запись", "Бухгалтерская запись", "Напоминание",
                                  "Комманда, автозапуск программы и т.д."};
  auto* inner = new QVBoxLayout;
  inner->setContentsMargins(30, 16, 10, 10);
  inner->setSpacing(12);
  for (int k = 1; k <= 4; ++k) {
    auto* r = new QRadioButton(U(captions[k - 1]), page);
    r->setObjectName(QString("RadioButton%1").arg(k));
    r->setIcon(KindIcon(k));
    kinds_[k - 1] = r;
    inner->addWidget(r);
  }
  inner->addStretch();
  v->addLayout(inner, 1);
  return page;
}

QWidget* TAddMessDlg::buildSimplePage() {
  auto* page = new QWidget(notebook_);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(band("Caption20003", "Описание простой записи", page));
  auto* g = new QGridLayout;
  g->setContentsMargins(12, 10, 12, 10);
  edit1_ = TextField("Edit1", "Текст", page);
  maskedit1_ = DateField("maskedit1", U("Дата"), page);
  maskedit12_ = TimeField("maskedit12", U("Время"), page);
  g->addWidget(new QLabel(U("Текст"), page), 0, 0);
  g->addWidget(edit1_, 0, 1, 1, 3);
  g->addWidget(new QLabel(U("Дата"), page), 1, 0);
  g->addWidget(maskedit1_, 1, 1);
  g->addWidget(TodayButton("SpeedButton14", maskedit1_, page, true), 1, 2);
  g->addWidget(CalendarButton("SpeedButton15", maskedit1_, page, false), 1, 3);
  g->addWidget(new QLabel(U("Время"), page), 2, 0);
  g->addWidget(maskedit12_, 2, 1);
  g->addWidget(NowButton("SpeedButton21", maskedit12_, page, true), 2, 2);
  g->setColumnStretch(4, 1);
  g->setRowStretch(3, 1);
  v->addLayout(g, 1);
  return page;
}

QWidget* TAddMessDlg::buildReminderPage() {
  auto* page = new QWidget(notebook_);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(band("Caption20004", "Описание напоминания", page));

  panel3_ = new QWidget(page);
  panel3_->setObjectName("Panel3");
  auto* p3 = new QVBoxLayout(panel3_);
  p3->setContentsMargins(12, 6, 12, 2);
  p3->addWidget(new QLabel(U("Текст напоминания"), panel3_));
  edit2_ = TextField("Edit2", "Текст напоминания", panel3_);
  p3->addWidget(edit2_);
  v->addWidget(panel3_);

  panel5_ = new QWidget(page);
  panel5_->setObjectName("Panel5");
  auto* p5 = new QHBoxLayout(panel5_);
  p5->setContentsMargins(12, 4, 12, 4);
  atStart_ = new QRadioButton(U("При запуске компьютера"), panel5_);
  atStart_->setObjectName("RadioButton14");
  atTime_ = new QRadioButton(U("В"), panel5_);
  atTime_->setObjectName("RadioButton15");
  atTime_->setAccessibleName(U("В указанное время"));
  atTime_->setChecked(true);
  maskedit3_ = TimeField("maskedit3", U("Время напоминания"), panel5_);
  p5->addWidget(atStart_);
  p5->addSpacing(16);
  p5->addWidget(atTime_);
  p5->addWidget(maskedit3_);
  p5->addWidget(NowButton("SpeedButton7", maskedit3_, panel5_, true));
  p5->addStretch();
  v->addWidget(panel5_);

  panel4_ = new QWidget(page);
  panel4_->setObjectName("Panel4");
  auto* p4 = new QGridLayout(panel4_);
  p4->setContentsMargins(12, 4, 12, 4);
  program_ = new QRadioButton(U("Запустить программу"), panel4_);
  program_->setObjectName("RadioButton18");
  program_->setChecked(true);
  edit3_ = TextField("Edit3", "Программа", panel4_);
  auto* browseButton = new QToolButton(panel4_);
  browseButton->setObjectName("SpeedButton11");
  browseButton->setText(U("Обзор ..."));
  browseButton->setAccessibleName(U("Обзор ..."));
  browseButton->setFocusPolicy(Qt::StrongFocus);
  connect(browseButton, &QToolButton::clicked, this, &TAddMessDlg::browse);
  command_ = new QRadioButton(U("Выполнить комманду"), panel4_);
  command_->setObjectName("RadioButton19");
  commandList_ = new QComboBox(panel4_);
  commandList_->setObjectName("ComboBox20003");
  commandList_->setAccessibleName(U("Комманда"));
  commandList_->setIconSize(QSize(16, 16));
  for (const CommandItem& c : commands_)
    commandList_->addItem(c.iconFile.empty() ? QIcon() : QIcon(QString::fromStdString(FsPath(c.iconFile))),
                          FromCp1251(c.title()));
  commandList_->setCurrentIndex(-1);
  connect(commandList_, &QComboBox::activated, this, [this] { command_->setChecked(true); });
  p4->addWidget(program_, 0, 0, 1, 2);
  p4->addWidget(edit3_, 1, 0);
  p4->addWidget(browseButton, 1, 1);
  p4->addWidget(command_, 2, 0, 1, 2);
  p4->addWidget(commandList_, 3, 0, 1, 2);
  v->addWidget(panel4_);
  v->addStretch();
  return page;
}

QWidget* TAddMessDlg::buildOperationPage() {
  auto* page = new QWidget(notebook_);
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(band("Caption20005", "Бухгалтерская запись", page));
  auto* g = new QGridLayout;
  g->setContentsMargins(12, 8, 12, 8);
  operationList_ = new QComboBox(page);
  operationList_->setObjectName("ComboBox20002");
  operationList_->setAccessibleName(U("Операция"));
  auto* settings = new QToolButton(page);
  settings->setObjectName("SpeedButton19");
  settings->setText(U("Настройки ..."));
  settings->setAccessibleName(U("Настройки ..."));
  settings->setFocusPolicy(Qt::StrongFocus);
  connect(settings, &QToolButton::clicked, this, &TAddMessDlg::openSettings);
  edit5_ = TextField("Edit5", "Комментарий", page);
  edit6_ = TextField("Edit6", "Сумма", page);
  edit6_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9 .,]{0,20}"), edit6_));
  maskedit8_ = DateField("maskedit8", U("Дата"), page);
  maskedit10_ = TimeField("maskedit10", U("Время"), page);
  g->addWidget(new QLabel(U("Операция"), page), 0, 0);
  g->addWidget(operationList_, 0, 1, 1, 2);
  g->addWidget(settings, 0, 3);
  g->addWidget(new QLabel(U("Комментарий"), page), 1, 0);
  g->addWidget(edit5_, 1, 1, 1, 3);
  g->addWidget(new QLabel(U("Сумма"), page), 2, 0);
  g->addWidget(edit6_, 2, 1);
  g->addWidget(new QLabel(U("Дата"), page), 3, 0);
  g->addWidget(maskedit8_, 3, 1);
  g->addWidget(TodayButton("SpeedButton16", maskedit8_, page, true), 3, 2);
  g->addWidget(CalendarButton("SpeedButton17", maskedit8_, page, true), 3, 3);
  g->addWidget(new QLabel(U("Время"), page), 4, 0);
  g->addWidget(maskedit10_, 4, 1);
  g->addWidget(NowButton("SpeedButton18", maskedit10_, page, true), 4, 2);
  g->setRowStretch(5, 1);
  g->setColumnStretch(1, 1);
  v->addLayout(g, 1);
  return page;
}

void TAddMessDlg::showState(const EditorState& s) {
  kinds_[s.kind - 1]->setChecked(true);
  edit1_->setText(FromCp1251(s.text));
  maskedit1_->setText(FromCp1251(s.date));
  maskedit12_->setText(FromCp1251(s.time));
  recurrence_->load(s.recurrence);
  edit2_->setText(FromCp1251(s.reminderText));
  (s.recurrence.timeKind == kAtStart ? atStart_ : atTime_)->setChecked(true);
  maskedit3_->setText(FromCp1251(s.recurrence.time));
  (s.runProgram ? program_ : command_)->setChecked(true);
  edit3_->setText(FromCp1251(s.programPath));
  commandList_->setCurrentIndex(s.command);
  edit5_->setText(FromCp1251(s.comment));
  edit6_->setText(FromCp1251(s.amount));
  maskedit8_->setText(FromCp1251(s.operationDate));
  maskedit10_->setText(FromCp1251(s.operationTime));
}

void TAddMessDlg::collect() {
  for (int k = 1; k <= 4; ++k)
    if (kinds_[k - 1]->isChecked()) state_.kind = k;
  state_.text = ToCp1251(edit1_->text());
  state_.date = ToCp1251(maskedit1_->text());
  state_.time = ToCp1251(maskedit12_->text());
  recurrence_->store(state_.recurrence);
  state_.reminderText = ToCp1251(edit2_->text());
  state_.recurrence.timeKind = atStart_->isChecked() ? kAtStart : kAtTime;
  state_.recurrence.time = ToCp1251(maskedit3_->text());
  state_.runProgram = program_->isChecked();
  state_.programPath = ToCp1251(edit3_->text());
  state_.command = commandList_->currentIndex();
  state_.operation = operationList_->currentIndex();
  state_.comment = ToCp1251(edit5_->text());
  state_.amount = ToCp1251(edit6_->text());
  state_.operationDate = ToCp1251(maskedit8_->text());
  state_.operationTime = ToCp1251(maskedit10_->text());
}

EditorState TAddMessDlg::state() {
  collect();
  return state_;
}

int TAddMessDlg::page() const { return notebook_->currentIndex(); }

void TAddMessDlg::present() {
  notebook_->setCurrentIndex(state_.page);
  panel3_->setVisible(ReminderTextShown(state_));
  panel5_->setVisible(TimePanelShown(state_.recurrence));
  panel4_->setVisible(ActionShown(state_));
  backButton_->setEnabled(state_.backEnabled);
  nextButton_->setEnabled(state_.nextEnabled);
  doneButton_->setEnabled(state_.doneEnabled && state_.mode != EditorMode::View);
  recurrence_->applyLayout();
  showNextOccurrences();
  focusFirstField();
}

void TAddMessDlg::showNextOccurrences() {
  RecurrenceState r = state_.recurrence;
  recurrence_->store(r);
  r.timeKind = atStart_->isChecked() ? kAtStart : kAtTime;
  r.time = ToCp1251(maskedit3_->text());
  recurrence_->showNext(FromCp1251(NextOccurrencesText(r, Now())));
}

void TAddMessDlg::focusFirstField() {
  QWidget* first = nullptr;
  switch (state_.page) {
    case kKindPage: first = kinds_[static_cast<std::size_t>(state_.kind - 1)]; break;
    case kRecurrencePage: first = recurrence_; break;
    case kSimplePage: first = edit1_; break;
    case kReminderPage: first = ReminderTextShown(state_) ? static_cast<QWidget*>(edit2_) : edit3_; break;
    case kOperationPage: first = operationList_; break;
    default: break;
  }
  if (first) first->setFocus(Qt::OtherFocusReason);
}

void TAddMessDlg::keyPressEvent(QKeyEvent* event) {
  // Return goes on to the next page, and on the last one saves.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (doneButton_->isEnabled()) finish();
    else if (nextButton_->isEnabled()) next();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAddMessDlg::reject() {
  if (saveMark_ != kSaved && HasUnsavedInput(opened_, state())) {
    const CloseQuestion q = UnsavedQuestion();
    switch (CloseChoiceOf(AskMessage(q.title, q.text, "", 2, q.cancel, q.no, q.yes))) {
      case CloseChoice::Save:
        finish();  // closes only when it saved; else the editor stays with its message
        return;
      case CloseChoice::Stay: return;
      case CloseChoice::Discard: break;
    }
  }
  QDialog::reject();
}

void TAddMessDlg::report(const std::string& title, const std::string& message) {
  AskMessage(title, message, "", 3, Ru("Понял"), "", "");
}

void TAddMessDlg::next() {
  collect();
  const int from = state_.page;
  const std::string message = StepForward(state_);
  if (!message.empty()) report(Ru("События"), message);
  if (from == kKindPage) recurrence_->load(state_.recurrence);  // the weekday default
  if (state_.page == kOperationPage && from != kOperationPage) loadOperations();
  present();
}

void TAddMessDlg::back() {
  collect();
  StepBack(state_);
  present();
}

void TAddMessDlg::finish() {
  collect();
  const SaveResult r = SaveRecord(state_, operations_, commands_, context_.root, context_.user);
  if (!r.saved) {
    if (!r.message.empty()) report(r.title, r.message);
    return;  // the dialog stays open with everything typed
  }
  if (!r.message.empty()) report(r.title, r.message);  // saved, with a warning
  saveMark_ = kSaved;
  savedLine_ = r.line;
  accept();
}

void TAddMessDlg::loadOperations() {
  const accounting::Ledger ledger{context_.root, context_.user};
  AccountingQuestions questions;
  accounting::EnsureDefaultAccounting(ledger, questions);
  const std::string remembered = state_.mode != EditorMode::New
                                     ? state_.openedOperation
                                     : (operationList_->currentIndex() >= 0
                                            ? operations_[static_cast<std::size_t>(operationList_->currentIndex())]
                                            : std::string());
  operations_.clear();
  LoadLines(ledger.operationsFile(), operations_);
  operationList_->clear();
  for (const auto& op : operations_) operationList_->addItem(OperationIcon(), FromCp1251(GetField(op, kSep1, 1)));
  operationList_->setCurrentIndex(ReselectOperation(operations_, remembered));
  state_.operation = operationList_->currentIndex();
}

void TAddMessDlg::openSettings() {
  Ask().openAccountingSetup(context_.root, context_.user);
  loadOperations();
}

void TAddMessDlg::browse() {
  const QString folder = QFileInfo(edit3_->text()).path();
  if (const auto file = Ask().pickFile({"", folder.toStdString()})) edit3_->setText(QString::fromStdString(*file));
}

}  // namespace krav::app
