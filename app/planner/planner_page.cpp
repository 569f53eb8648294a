#include "app/planner/planner_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>

#include "app/editor/record_editor_dialog.h"
#include "app/kit/qt_text.h"
#include "app/logic/asking.h"
#include "app/logic/quick_entry.h"
#include "app/planner/list_models.h"
#include "app/planner/record_list_view.h"
#include "engine/collect.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "sync/state.h"
#include "shell/messages.h"
#include "shell/notification_settings.h"
#include "shell/settings_keys.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

PlannerPage::PlannerPage(const ProgramContext& context, QWidget* parent)
    : PageFrame("Caption20001", U("Планировщик : основная"), U("Нет данных"), parent), context_(context) {
  PageHeader* h = header();
  connect(h->addTool("SpeedButton26", U("↔"), U("Диапазон")), &QToolButton::clicked, this, [this] {
    const QToolButton* b = header()->tool("SpeedButton26");
    menu_->popup(b->mapToGlobal(QPoint(0, b->height())));
  });
  connect(h->addTool("SpeedButton27", U("▦"), U("Календарь")), &QToolButton::clicked, this,
          &PlannerPage::pickStart);
  connect(h->addTool("SpeedButton28", U("●"), U("Сегодня"), 5), &QToolButton::clicked, this, &PlannerPage::today);
  connect(h->addTool("SpeedButton2", U("✕"), U("Удалить отмеченные записи (Delete)"), 5), &QToolButton::clicked,
          this, &PlannerPage::deleteMarked);
  connect(h->addTool("SpeedButton1", U("✎"), U("Открыть запись (Enter)")), &QToolButton::clicked, this, [this] {
    if (view_->currentIndex().isValid()) openRow(view_->currentIndex().row());
  });
  connect(h->addTool("SpeedButton7", U("+"), U("Добавить запись")), &QToolButton::clicked, this,
          &PlannerPage::addEntry);

  menu_ = new QMenu(this);
  menu_->setObjectName("PopupMenu1");
  for (const int days : PeriodLengths())
    connect(menu_->addAction(FromCp1251(PeriodCaption(days))), &QAction::triggered, this,
            [this, days] { setPeriodLength(days); });

  model_ = new PlannerModel(this);
  view_ = new RecordListView(false, this);
  view_->setObjectName("StringGrid1");
  view_->setAccessibleName(U("Список записей"));
  view_->setModel(model_);
  setContent(view_);
  connect(view_, &RecordListView::markRequested, model_, &PlannerModel::toggleMark);
  connect(view_, &RecordListView::openRequested, this, &PlannerPage::openRow);
  connect(view_, &RecordListView::deleteRequested, this, &PlannerPage::deleteMarked);
  connect(view_, &QTableView::clicked, this, [this](const QModelIndex& i) {
    model_->setCurrentKey(model_->list().key(model_->list().rows[static_cast<std::size_t>(i.row())]));
  });
  setRebuild([this] { refill(); });

  // "Быстрая запись" above the list: what it understood shows while typing.
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 4, 4, 2);
  auto* label = new QLabel(U("Быстрая &запись:"), bar);
  quickEdit_ = new QLineEdit(bar);
  quickEdit_->setObjectName("QuickEntry");
  quickEdit_->setAccessibleName(U("Быстрая запись"));
  quickEdit_->setPlaceholderText(U("например: завтра 9:00 позвонить маме"));
  quickEdit_->setToolTip(
      U("Напоминание одной фразой (Ctrl+N, Insert): когда, время, текст. "
        "Enter — сохранить, Esc — очистить."));
  label->setBuddy(quickEdit_);
  quickHint_ = new QLabel(bar);
  quickHint_->setObjectName("QuickEntryHint");
  quickHint_->setTextFormat(Qt::PlainText);
  quickHint_->setMinimumWidth(0);
  quickHint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(label);
  row->addWidget(quickEdit_, 3);
  row->addWidget(quickHint_, 2);
  setTopBar(bar);
  connect(quickEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.trimmed().isEmpty()) {
      quickHint_->clear();
      quickHint_->setToolTip({});
      return;
    }
    const QuickEntry q = ReadQuickEntry(ToCp1251(text), Now());
    const QString hint = FromCp1251(q.state ? q.understood : q.why);
    quickHint_->setText(hint);
    quickHint_->setToolTip(hint);
  });
  connect(quickEdit_, &QLineEdit::returnPressed, this, [this] { (void)saveQuickEntry(); });
  auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), quickEdit_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(clear, &QShortcut::activated, quickEdit_, &QLineEdit::clear);
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::Key_Insert)}) {
    auto* go = new QShortcut(keys, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(go, &QShortcut::activated, this, [this] { quickEdit_->setFocus(Qt::ShortcutFocusReason); });
  }
}

bool PlannerPage::saveQuickEntry() {
  const QuickEntry q = ReadQuickEntry(ToCp1251(quickEdit_->text()), Now());
  if (!q.state) {
    quickHint_->setText(FromCp1251(q.why));
    return false;
  }
  const SaveResult r = SaveRecord(*q.state, {}, {}, context_.root, context_.user);
  if (!r.saved) {
    tell(r.message);
    return false;
  }
  quickEdit_->clear();
  quickHint_->setText(U("Сохранено: ") + FromCp1251(q.understood));
  refill();
  changed();
  return true;
}

void PlannerPage::refill() {
  if (!IsValidDateText(startText_)) startText_ = DateToText(static_cast<double>(Today()));
  const DateTime start = static_cast<double>(*ReadDay(startText_));
  const bool autoDelete = shell::LoadNotificationSettings(context_.userSettings).autoDelete;
  Lines out = model_->releaseLines();  // its room serves again: periods are alike
  const bool complete =
      CollectRange(out, start, start + periodLength_, context_.root, context_.user, {true, autoDelete});
  // A record file that cannot be read is said where the period is, not hidden.
  header()->setStatus(FromCp1251(PlannerStatus(start, periodLength_)) +
                      (complete ? QString() : U(" — не все файлы записей прочитаны")));
  model_->setList(BuildPlannerList(std::move(out)));
  view_->clearSpans();
  const auto& rows = model_->list().rows;
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].separator()) view_->setSpan(static_cast<int>(i), 0, 1, 2);
  view_->fitColumns();
  showEmpty(rows.empty());
  if (autoDelete) emit trashChanged();  // outdated records may have gone there
}

void PlannerPage::setStart(const std::string& text) {
  startText_ = text;
  refill();
}

void PlannerPage::setPeriodLength(int days) {
  periodLength_ = days;
  refill();
}

void PlannerPage::today() { setStart(DateToText(static_cast<double>(Today()))); }

void PlannerPage::pickStart() {
  const QToolButton* b = header()->tool("SpeedButton27");
  const QPoint at = b->mapToGlobal(QPoint(0, b->height()));
  setStart(Ask().pickDate({at.x(), at.y(), startText_, Ru("Календарь")}));
}

void PlannerPage::tell(const std::string& text) {
  AskMessage(Ru("Планировщик"), text, "", 3, Ru("Понял"), "", "");
}

void PlannerPage::changed() {
  PostWindowMessage(context_.shellWindow(), shell::kMsgRecordsChanged, 0, 0);
  emit recordsChanged();
}

void PlannerPage::openRow(int row) {
  const PlannerList& list = model_->list();
  if (row < 0 || row >= static_cast<int>(list.rows.size()) || list.rows[static_cast<std::size_t>(row)].separator())
    return;
  const PlannerRow& r = list.rows[static_cast<std::size_t>(row)];
  if (list.kind(r) == "5") {
    // The address book's card: its path without the extension, for the shell.
    const std::string card(list.part(r, 3));
    (void)WriteIniString(context_.userSettings, shell::kActiveCard.section, shell::kActiveCard.key,
                         card.size() > 4 ? card.substr(0, card.size() - 4) : std::string());
    PostWindowMessage(context_.shellWindow(), shell::kMsgOpenAddressCard, shell::kOpenAddressCardWParam, 0);
    return;
  }
  const ShownEntry entry = EntryOf(list, r);
  if (!FileExists(entry.path)) return;
  const std::string line = FindShownLine(entry);
  if (line.empty()) {
    tell(Ru("Эта запись изменилась или удалена другой программой. Список обновлён."));
    refill();
    return;
  }
  TAddMessDlg editor(context_, line, true, this);
  editor.exec();
  if (editor.saveMark() != TAddMessDlg::kSaved) return;
  const ChangeResult result = RemoveReplacedLine(entry.path, entry.index, line, context_.root, context_.user);
  // The calendar's event follows the record: the replacement is noted for
  // the next synchronisation (nothing, when the data is not synchronised).
  const std::string dataDir = shell::DataDir(context_.root, context_.user);
  if (result.done && entry.path == shell::StoreFile(dataDir) &&
      !sync::NoteReplacedRecord(dataDir, line, editor.savedLine()))
    tell(Ru("Запись сохранена, но для синхронизации с календарём замена не записана: событие на сервере "
            "может раздвоиться."));
  if (!result.error.empty()) tell(result.error);
  else if (result.missing) tell(Ru("Прежний вариант записи уже удалён другой программой; новый сохранён."));
  refill();
  changed();
}

void PlannerPage::addEntry() {
  TAddMessDlg editor(context_, "", true, this);
  editor.exec();
  refill();
  changed();
}

void PlannerPage::deleteMarked() {
  const std::vector<ShownEntry> entries = MarkedEntries(model_->list());
  if (entries.empty()) return;
  const int n = static_cast<int>(entries.size());
  // Only "Да" deletes; a dialog closed otherwise is a "no".
  if (AskMessage(Ru("Удаление записи"), DeleteQuestion(n, false), "", 2, Ru("Нет"), Ru("Да"), "") != 3) return;
  const ChangeResult result = DeleteEntries(entries, context_.root, context_.user);
  if (!result.error.empty()) tell(result.error);
  if (result.missing > 0)
    tell(PluralForm(result.missing, Ru("запись"), Ru("записи"), Ru("записей"), true) +
         Ru(" уже изменены или удалены другой программой и не удалены. Список обновлён."));
  refill();
  changed();
  emit trashChanged();
}

}  // namespace krav::app
