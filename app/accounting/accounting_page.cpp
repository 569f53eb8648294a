#include "app/accounting/accounting_page.h"

#include <QFile>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "accounting/report.h"
#include "app/accounting/report_view.h"
#include "app/accounting/setup_dialog.h"
#include "app/chart/pie_chart.h"
#include "app/kit/qt_text.h"
#include "app/logic/accounting_questions.h"
#include "app/logic/asking.h"
#include "app/logic/report_display.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::app {
namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

HelpPageView::HelpPageView(QWidget* parent) : QTextBrowser(parent) {
  setObjectName("WebBrowser1");
  setOpenLinks(true);
  setOpenExternalLinks(false);
  setAccessibleName(U("Отчет не построен"));
}

void HelpPageView::showFile(const std::string& path) {
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(FsPath(path)));
  if (source().adjusted(QUrl::RemoveFragment) == url) reload();
  else setSource(url);
}

QVariant HelpPageView::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
    QFile f(name.toLocalFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    // The help pages are written in cp1251.
    return FromCp1251(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  if (type == QTextDocument::ImageResource && name.isLocalFile()) {
    QImage image(name.toLocalFile());
    return image.isNull() ? QVariant() : QVariant(image);
  }
  return QTextBrowser::loadResource(type, name);
}

AccountingPage::AccountingPage(const ProgramContext& context, QWidget* parent)
    : PageFrame("Caption20003", U("Домашняя бухгалтерия"), U("Нет данных"), parent), context_(context) {
  PageHeader* h = header();
  connect(h->addTool("SpeedButton5", U("↔"), U("Диапазон")), &QToolButton::clicked, this,
          &AccountingPage::openPeriodMenu);
  connect(h->addTool("SpeedButton4", U("▦"), U("Календарь")), &QToolButton::clicked, this,
          &AccountingPage::pickEnd);
  connect(h->addTool("SpeedButton3", U("●"), U("Сегодня"), 5), &QToolButton::clicked, this,
          &AccountingPage::today);
  connect(h->addTool("SpeedButton19", U("⚙"), U("Настройки ...")), &QToolButton::clicked, this,
          &AccountingPage::openSettings);

  menu_ = new QMenu(this);
  menu_->setObjectName("PopupMenu2");
  for (const PeriodItem& item : kPeriodItems) {
    if (item.tag == kChosenStartMode) menu_->addSeparator();
    QAction* a = menu_->addAction(U(item.captionUtf8));
    const int tag = item.tag;
    connect(a, &QAction::triggered, this, [this, tag] { choosePeriod(tag); });
  }

  stack_ = new QStackedWidget(this);
  error_ = new HelpPageView(stack_);
  report_ = new ReportView(stack_);
  stack_->addWidget(error_);
  stack_->addWidget(report_);
  setContent(stack_);
  error_->showFile(shell::ReportErrorPage(context_.root));

  // A build that takes long says so in the header.
  busyTimer_ = new QTimer(this);
  busyTimer_->setSingleShot(true);
  busyTimer_->setInterval(250);
  connect(busyTimer_, &QTimer::timeout, this, [this] { header()->setStatus(U("Отчет строится…")); });
  setRebuild([this] { endDateChanged(); });
}

AccountingPage::~AccountingPage() {
  // A worker only posts back to the page, never waits for it.
  if (worker_.joinable()) worker_.join();
}

bool AccountingPage::showsReport() const { return stack_->currentWidget() == report_; }

QPoint AccountingPage::belowButton(const char* name) const {
  const QToolButton* b = header()->tool(name);
  return b ? b->mapToGlobal(QPoint(0, b->height())) : mapToGlobal(QPoint(0, 0));
}

void AccountingPage::openSettings() {
  TMess3Dlg dialog(accounting::Ledger{context_.root, context_.user}, this);
  dialog.exec();  // the shown report stays as it is
}

void AccountingPage::setEndText(const std::string& text) {
  if (text == period_.endText) return;
  period_.endText = text;
  endDateChanged();
}

void AccountingPage::today() {
  // Cleared first, so that today's date is a change even when it is already there.
  period_.endText.clear();
  setEndText(DateToText(static_cast<double>(Today())));
}

void AccountingPage::pickEnd() {
  const QPoint at = belowButton("SpeedButton4");
  setEndText(Ask().pickDate({at.x(), at.y(), period_.endText, Ru("Календарь")}));
}

void AccountingPage::openPeriodMenu() { menu_->popup(belowButton("SpeedButton5")); }

void AccountingPage::choosePeriod(int tag) {
  if (tag != kChosenStartMode) {
    period_.mode = tag;
    buildReport();
    return;
  }
  const QPoint at = belowButton("SpeedButton5");
  const std::string picked = Ask().pickDate({at.x(), at.y(), period_.startText, Ru("Календарь")});
  if (picked == period_.startText) return;
  // Only recorded: the report follows at the next change of the end date.
  period_.startText = picked;
  period_.mode = kChosenStartMode;
}

void AccountingPage::endDateChanged() {
  if (IsValidDateText(period_.endText)) buildReport();
}

// What one build carries from step to step.
struct AccountingPage::Build {
  accounting::Ledger ledger;
  ReportDays days;
  accounting::BalanceTable table;
  bool balanced = false;
  std::string error;
  accounting::AccountingReport report;
  bool written = false;
  QImage chart;
};

void AccountingPage::buildReport() {
  ++builds_;
  if (running_) {
    pending_ = true;  // the running build's result is stale: one more follows it
    return;
  }
  startBuild();
}

void AccountingPage::runOnWorker(std::function<void()> work) {
  if (worker_.joinable()) worker_.join();  // the last step's worker has posted and ended
  worker_ = std::thread(std::move(work));
}

void AccountingPage::startBuild() {
  running_ = true;
  pending_ = false;
  busyTimer_->start();
  auto build = std::make_shared<Build>();
  build->ledger = {context_.root, context_.user};
  build->days = ResolvePeriod(period_);
  runOnWorker([this, build] {
    build->balanced =
        accounting::ComputeBalances(build->ledger, build->days.end, build->days.start, build->table, &build->error);
    QMetaObject::invokeMethod(this, [this, build] { balancesDone(build); }, Qt::QueuedConnection);
  });
}

void AccountingPage::balancesDone(std::shared_ptr<Build> build) {
  if (!build->balanced) {
    finishBuild(false, build);
    return;
  }
  // The rates are asked here, on the window's thread, before anything is written.
  AccountingQuestions questions;
  build->report = accounting::ComposeAccountingReport(build->ledger, build->table, build->days.start,
                                                      build->days.end, questions);
  build->table = {};
  // The views are built here while the worker writes the files.
  runOnWorker([this, build] {
    const bool chart = build->report.savings && build->report.savings->hasChart();
    if (chart) build->chart = PieChartImage(build->report.savings->slices);
    const auto save = [&build](const std::vector<accounting::PieSlice>&, const std::string& path) {
      return SaveChartImage(build->chart, path);
    };
    build->written = accounting::WriteAccountingReport(build->ledger.root, build->report, save);
    QMetaObject::invokeMethod(this, [this, build] { filesDone(build); }, Qt::QueuedConnection);
  });
  report_->prepare(ReportForView(build->report), context_.root);
}

void AccountingPage::filesDone(std::shared_ptr<Build> build) {
  finishBuild(build->written && build->report.ratesComplete, build);
}

void AccountingPage::finishBuild(bool showReport, const std::shared_ptr<Build>& build) {
  if (pending_) {  // a newer period waits: this one is not shown
    report_->dropPrepared();
    startBuild();
    return;
  }
  if (showReport) {
    report_->showPrepared(build->chart);
    stack_->setCurrentWidget(report_);
  } else {
    report_->dropPrepared();
    error_->showFile(shell::ReportErrorPage(context_.root));
    stack_->setCurrentWidget(error_);
  }
  running_ = false;
  busyTimer_->stop();
  header()->setStatus({});
  ++shown_;
  emit reportShown();
}

}  // namespace krav::app
