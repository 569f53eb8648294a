#include "app/planner/planner_page.h"

#include <QMenu>
#include <QToolButton>

#include "app/editor/record_editor_dialog.h"
#include "app/kit/qt_text.h"
#include "app/logic/asking.h"
#include "app/planner/list_models.h"
#include "app/planner/record_list_view.h"
#include "engine/collect.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/ini.h"
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
  connect(h->addTool("SpeedButton2", U("✕"), U("Удалить записи"), 5), &QToolButton::clicked, this,
          &PlannerPage::deleteMarked);
  connect(h->addTool("SpeedButton1", U("✎"), U("Открыть запись")), &QToolButton::clicked, this, [this] {
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
}

void PlannerPage::refill() {
  if (!IsValidDateText(startText_)) startText_ = DateToText(static_cast<double>(Today()));
  const DateTime start = static_cast<double>(*ReadDay(startText_));
  header()->setStatus(FromCp1251(PlannerStatus(start, periodLength_)));
  const bool autoDelete = shell::LoadNotificationSettings(context_.userSettings).autoDelete;
  Lines out = model_->releaseLines();  // its room serves again: periods are alike
  CollectRange(out, start, start + periodLength_, context_.root, context_.user, {true, autoDelete});
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
