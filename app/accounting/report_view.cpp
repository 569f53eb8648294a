#include "app/accounting/report_view.h"

#include <QEvent>
#include <algorithm>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/frame/elided_tips.h"
#include "app/kit/qt_text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::app {
namespace {

// The report's colours: title strips, header and total rows, data rows.
const QColor kTitleBack(0x00, 0x00, 0xA0);
const QColor kHeaderBack(0xBB, 0xDD, 0xFF);
const QColor kDataBack(0xDD, 0xEE, 0xFF);

QImage Picture(const std::string& root, const char* file) {
  return QImage(QString::fromStdString(FsPath(shell::HelpPage(root, file))));
}

// A label in colours of its own over the column's white.
void Fill(QWidget* w, const QColor& background, const QColor& text) {
  QPalette colours = w->palette();
  colours.setColor(QPalette::Window, background);
  colours.setColor(QPalette::WindowText, text);
  w->setPalette(colours);
  w->setBackgroundRole(QPalette::Window);
  w->setAutoFillBackground(true);
}

Qt::Alignment AlignmentOf(CellAlign a) {
  switch (a) {
    case CellAlign::Centre: return Qt::AlignCenter;
    case CellAlign::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlign::Left: break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ReportTableModel::ReportTableModel(ReportTableView table, QImage arrow, QObject* parent)
    : QAbstractTableModel(parent), table_(std::move(table)), arrow_(std::move(arrow)) {}

int ReportTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
}

int ReportTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(table_.widths.size());
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const ReportRowView& row = table_.rows[static_cast<std::size_t>(index.row())];
  const std::size_t column = static_cast<std::size_t>(index.column());
  if (column >= row.cells.size()) return {};
  const ReportCellView& cell = row.cells[column];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: return FromCp1251(cell.text);
    case Qt::TextAlignmentRole: return QVariant::fromValue(AlignmentOf(cell.align));
    case Qt::BackgroundRole: return row.kind == ReportRowKind::Header ? kHeaderBack : kDataBack;
    case Qt::ForegroundRole: return QColor(Qt::black);
    case Qt::FontRole: {
      if (row.kind != ReportRowKind::Header) return {};
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    case Qt::DecorationRole: {
      const bool changeFigure = index.row() == rowCount() - 1 && index.column() == columnCount() - 1;
      if (changeFigure && table_.arrow != ReportArrow::None && !arrow_.isNull()) return arrow_;
      return {};
    }
    default: return {};
  }
}

ReportTable::ReportTable(ReportTableModel* model, QWidget* parent) : QTableView(parent), model_(model) {
  setModel(model);
  model->setParent(this);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setWordWrap(true);  // the headers over two rows wrap; the rest fit or end in "…"
  setTextElideMode(Qt::ElideRight);
  setFrameShape(QFrame::NoFrame);
  // Colours through the palette: a style sheet per table would cost more
  // than the table itself.
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Midlight, Qt::white);  // the grid
  setPalette(colours);
  setAccessibleName(FromCp1251(model->table().title));
  const auto& rows = model->table().rows;
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& cells = rows[static_cast<std::size_t>(r)].cells;
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      const ReportCellView& cell = cells[static_cast<std::size_t>(c)];
      if (cell.rowSpan > 1 || cell.columnSpan > 1) setSpan(r, c, cell.rowSpan, cell.columnSpan);
    }
  }
  // What each column needs for its widest date or figure, once: the texts
  // of the greatest length are measured, a few of them (digits are as wide
  // as each other). The widest column takes the rest and needs nothing.
  const auto& widths = model->table().widths;
  const std::size_t wide =
      static_cast<std::size_t>(std::max_element(widths.begin(), widths.end()) - widths.begin());
  needs_.assign(widths.size(), 0);
  QFont bold = font();
  bold.setBold(true);
  const QFontMetrics plainMetrics(font()), boldMetrics(bold);
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c == wide) continue;
    std::size_t longest = 0;
    for (const ReportRowView& row : rows) {
      const ReportCellView& cell = row.cells[c];
      if (cell.columnSpan == 1 && cell.rowSpan == 1) longest = std::max(longest, cell.text.size());
    }
    int measured = 0;
    for (const ReportRowView& row : rows) {
      const ReportCellView& cell = row.cells[c];
      if (cell.text.size() != longest || cell.columnSpan > 1 || cell.rowSpan > 1 || longest == 0) continue;
      const QFontMetrics& m = row.kind == ReportRowKind::Header ? boldMetrics : plainMetrics;
      needs_[c] = std::max(needs_[c], m.horizontalAdvance(FromCp1251(cell.text)) + 12);
      if (++measured == 4) break;
    }
  }
  ShowTipsForCutTexts(this);
}

QSize ReportTable::sizeHint() const {
  const int rows = model_->rowCount();
  const int height = rows * verticalHeader()->defaultSectionSize() + 2 * frameWidth() + 1;
  return {QTableView::sizeHint().width(), height};
}

void ReportTable::resizeEvent(QResizeEvent* e) {
  QTableView::resizeEvent(e);
  fitColumns();
}

// The columns share the width as the report's percentages say, each at
// least as wide as its widest date or figure; the widest column (the
// description or the name) gives up what the others need and takes the rest.
void ReportTable::fitColumns() {
  const auto& widths = model_->table().widths;
  if (widths.empty()) return;

  int total = 0;
  for (int w : widths) total += w;
  const std::size_t wide = static_cast<std::size_t>(std::max_element(widths.begin(), widths.end()) - widths.begin());
  const int room = viewport()->width();
  int used = 0;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c == wide) continue;
    const int w = std::max(total > 0 ? room * widths[c] / total : 0, needs_[c]);
    setColumnWidth(static_cast<int>(c), w);
    used += w;
  }
  setColumnWidth(static_cast<int>(wide), std::max(60, room - used));
}

ReportView::ReportView(QWidget* parent) : QScrollArea(parent) {
  setObjectName("ReportView");
  setAccessibleName(QString::fromUtf8("Отчет"));
  setWidgetResizable(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setBackgroundRole(QPalette::Base);
}

void ReportView::showReport(const ReportPageView& page, const QImage& chart, const std::string& root) {
  prepare(page, root);
  showPrepared(chart);
}

void ReportView::prepare(const ReportPageView& page, const std::string& root) {
  next_ = std::make_unique<Built>();
  next_->page = page;
  // A new column is built whole before it is shown.
  auto* column = new QWidget;
  next_->column.reset(column);
  column->setAutoFillBackground(true);
  column->setBackgroundRole(QPalette::Base);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 5, 0, 5);
  layout->setSpacing(0);

  // The heading: the picture beside the period and the index of links.
  auto* heading = new QWidget(column);
  auto* headingRow = new QHBoxLayout(heading);
  headingRow->setContentsMargins(4, 0, 4, 8);
  auto* picture = new QLabel(heading);
  picture->setPixmap(QPixmap::fromImage(
      Picture(root, "buh.jpg").scaled(50, 46, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  picture->setFixedWidth(60);
  headingRow->addWidget(picture);
  auto* texts = new QVBoxLayout;
  auto* title = new QLabel(FromCp1251(page.heading), heading);
  title->setObjectName("ReportHeading");
  QFont big = title->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.15);
  title->setFont(big);
  title->setWordWrap(true);
  texts->addWidget(title);
  QString links;
  for (const ReportIndexLink& link : page.index)
    links += QStringLiteral("<a href=\"#%1\">%2</a><br>")
                 .arg(QString::fromStdString(link.anchor), FromCp1251(link.text).toHtmlEscaped());
  QLabel* index = next_->index = new QLabel(links, heading);
  index->setObjectName("ReportIndex");
  index->setAccessibleName(QString::fromUtf8("Содержание отчета"));
  index->setTextFormat(Qt::RichText);
  index->setTextInteractionFlags(Qt::TextBrowserInteraction);
  index->setFocusPolicy(Qt::StrongFocus);
  connect(index, &QLabel::linkActivated, this, [this](const QString& href) { goTo(href.mid(1).toStdString()); });
  texts->addWidget(index);
  headingRow->addLayout(texts, 1);
  layout->addWidget(heading);

  QFont bold = font();
  bold.setBold(true);
  const QImage up = Picture(root, "up.bmp"), down = Picture(root, "down.bmp");
  for (const ReportTableView& table : page.tables) {
    auto* strip = new QLabel(FromCp1251(table.title), column);
    strip->setObjectName(QString::fromStdString("Title" + table.anchor));
    Fill(strip, kTitleBack, Qt::white);
    strip->setFont(bold);
    strip->setMargin(2);
    layout->addWidget(strip);
    const QImage& arrow = table.arrow == ReportArrow::Up ? up : down;
    auto* view = new ReportTable(new ReportTableModel(table, arrow, nullptr), column);
    view->setObjectName(QString::fromStdString("Table" + table.anchor));
    view->installEventFilter(this);
    layout->addWidget(view);
    next_->tables.emplace_back(table.anchor, view);
    if (table.chart) {  // the picture comes with showPrepared
      QLabel* chart = next_->chart = new QLabel(column);
      chart->setObjectName("ReportChart");
      chart->setAccessibleName(QString::fromUtf8("Диаграмма сбережений"));
      chart->setFixedHeight(accounting::kChartHeight);
      chart->setAlignment(Qt::AlignRight);
      Fill(chart, kHeaderBack, Qt::black);
      layout->addWidget(chart);
    }
    layout->addSpacing(12);
  }
  layout->addStretch(1);
}

void ReportView::showPrepared(const QImage& chart) {
  if (!next_) return;
  if (next_->chart) {
    if (chart.isNull()) next_->chart->hide();
    else next_->chart->setPixmap(QPixmap::fromImage(chart));
  }
  shown_ = std::move(*next_);
  next_.reset();
  setWidget(shown_.column.release());  // deletes the old column with its tables
  shown_.column.reset();
}

void ReportView::dropPrepared() { next_.reset(); }

ReportTable* ReportView::table(const std::string& anchor) const {
  for (const auto& [name, view] : shown_.tables)
    if (name == anchor) return view;
  return nullptr;
}

bool ReportView::goTo(const std::string& anchor) {
  ReportTable* t = table(anchor);
  if (!t) return false;
  // The title strip above the table comes into view with it.
  verticalScrollBar()->setValue(std::max(0, t->y() - t->fontMetrics().height() - 8));
  t->setFocus(Qt::OtherFocusReason);
  return true;
}

// A table that takes the focus, or whose current row moves, keeps that row in view.
bool ReportView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::KeyRelease) {
    const bool placed =
        event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() == Qt::OtherFocusReason;
    auto* t = qobject_cast<ReportTable*>(watched);
    if (t && !placed) {  // goTo places the tables it focuses itself
      const QModelIndex current = t->currentIndex();
      const QRect cell = current.isValid() ? t->visualRect(current) : QRect(0, 0, 1, 1);
      const QPoint at = t->mapTo(widget(), cell.center());
      ensureVisible(at.x(), at.y(), 0, cell.height());
    }
  }
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace krav::app
