#include "app/planner/trash_page.h"

#include <QLabel>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/editor/record_editor_dialog.h"
#include "app/kit/qt_text.h"
#include "app/logic/asking.h"
#include "app/logic/planner_list.h"
#include "app/logic/trash_list.h"
#include "app/planner/list_models.h"
#include "app/planner/record_list_view.h"
#include "app/planner/trash_bin_icon.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

TrashPage::TrashPage(const ProgramContext& context, QWidget* parent)
    : PageFrame("Caption20009", U("Планировщик : корзина"), U("Список пуст"), parent), context_(context) {
  PageHeader* h = header();
  connect(h->addTool("SpeedButton30", TrashBinIcon(), U("Очистить корзину")), &QToolButton::clicked, this,
          &TrashPage::emptyTrash);
  connect(h->addTool("SpeedButton29", U("✕"), U("Удалить отмеченные (Delete)")), &QToolButton::clicked, this,
          &TrashPage::deleteMarked);
  connect(h->addTool("RestoreButton", U("↶"), U("Восстановить отмеченные (Insert)")), &QToolButton::clicked, this,
          &TrashPage::restoreMarked);

  auto* body = new QWidget(this);
  auto* v = new QVBoxLayout(body);
  v->setContentsMargins(0, 0, 0, 0);
  model_ = new TrashModel(this);
  view_ = new RecordListView(true, body);
  view_->setObjectName("StringGrid4");
  view_->setAccessibleName(U("Корзина"));
  view_->setModel(model_);
  v->addWidget(view_, 1);
  auto* note = new QLabel(U("Здесь отображаются последние 100 удаленных записей (сообщений). "), body);
  note->setObjectName("Label43");
  note->setContentsMargins(6, 2, 6, 4);
  v->addWidget(note);
  setContent(body);
  connect(view_, &RecordListView::markRequested, model_, &TrashModel::toggleMark);
  connect(view_, &RecordListView::openRequested, this, &TrashPage::viewRow);
  connect(view_, &RecordListView::deleteRequested, this, &TrashPage::deleteMarked);
  setRebuild([this] { refill(); });
  auto* restore =
      new QShortcut(QKeySequence(Qt::Key_Insert), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
  connect(restore, &QShortcut::activated, this, &TrashPage::restoreMarked);
}

void TrashPage::restoreMarked() {
  int marked = 0;
  for (const auto& r : model_->rows()) marked += r.marked;
  if (marked == 0) {
    AskMessage(Ru("Корзина"), Ru("Отметьте строки, которые нужно восстановить (пробел или щелчок по флажку)."), "",
               3, Ru("Понял"), "", "");
    return;
  }
  const TrashChange result = RestoreTrashRows(model_->rows(), context_.root, context_.user);
  std::string told = result.error;
  if (told.empty() && (result.missing > 0 || result.unknown > 0))
    told = Ru("Часть отмеченных строк не восстановлена: они изменились или их место неизвестно.");
  if (!told.empty()) AskMessage(Ru("Корзина"), told, "", 3, Ru("Понял"), "", "");
  refill();
  if (result.removed > 0) emit recordsRestored();
}

void TrashPage::refill() {
  model_->setRows(LoadTrashRows(shell::TrashFile(context_.dataDir)));
  view_->fitColumns();
  showEmpty(model_->rows().empty());
}

void TrashPage::viewRow(int row) {
  if (row < 0 || row >= static_cast<int>(model_->rows().size())) return;
  TAddMessDlg editor(context_, model_->rows()[static_cast<std::size_t>(row)].deletedLine, false, this);
  editor.exec();
}

void TrashPage::deleteMarked() {
  if (model_->rows().empty()) return;
  int marked = 0;
  for (const auto& r : model_->rows()) marked += r.marked;
  if (marked == 0) return;
  // Only "Да" deletes; a dialog closed otherwise is a "no".
  // Deleted from the trash is gone for good: Enter answers "Нет".
  if (AskMessage(Ru("Удаление записи"), DeleteQuestion(marked, true), "", 2, Ru("Нет"), Ru("Да"), "", 4) != 3)
    return;
  const TrashChange result = DeleteTrashRows(model_->rows(), context_.dataDir);
  if (!result.error.empty()) AskMessage(Ru("Корзина"), result.error, "", 3, Ru("Понял"), "", "");
  else if (result.missing > 0)
    AskMessage(Ru("Корзина"), Ru("Часть отмеченных строк корзины уже изменилась; они не удалены."), "", 3,
               Ru("Понял"), "", "");
  refill();
}

void TrashPage::emptyTrash() {
  if (model_->rows().empty()) return;
  if (AskMessage(Ru("Очищение корзины"), Ru("Вы действительно хотите очистить корзину ?"), "", 3, Ru("Нет@2"),
                 Ru("Да@1"), "", 4) != 3)
    return;
  (void)EmptyTrash(context_.dataDir);
  refill();
}

}  // namespace krav::app
