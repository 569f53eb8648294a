#include "app/accounting/accounting_page.h"

#include <QFile>
#include <QMenu>
#include <QToolButton>

#include "accounting/report.h"
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

ReportView::ReportView(QWidget* parent) : QTextBrowser(parent) {
  setObjectName("WebBrowser1");
  setOpenLinks(true);
  setOpenExternalLinks(false);
  setAccessibleName(U("Отчет"));
  // A report is long: a scroll bar that came and went would lay the whole
  // document out a second time at the other width.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void ReportView::showFile(const std::string& path) {
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(FsPath(path)));
  if (source().adjusted(QUrl::RemoveFragment) == url) reload();
  else setSource(url);
}

QVariant ReportView::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
    QFile f(name.toLocalFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    // The report and the help pages are written in cp1251.
    return QString::fromStdString(Cp1251ToUtf8(
        ReportHtmlForView(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))));
  }
  if (type == QTextDocument::ImageResource && name.isLocalFile()) {
    // The chart changes with every report: read it anew, never from a cache.
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

  view_ = new ReportView(this);
  setContent(view_);
  view_->showFile(shell::ReportErrorPage(context_.root));
  setRebuild([this] { endDateChanged(); });
}

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

void AccountingPage::buildReport() {
  ++builds_;
  const ReportDays days = ResolvePeriod(period_);
  AccountingQuestions questions;
  const auto chart = [](const std::vector<accounting::PieSlice>& slices, const std::string& path) {
    return SavePieChart(slices, path);
  };
  const accounting::Ledger ledger{context_.root, context_.user};
  const auto result = accounting::BuildAccountingReport(ledger, days.start, days.end, questions, chart);
  view_->showFile(result == accounting::ReportResult::Written ? shell::ReportFile(context_.root)
                                                              : shell::ReportErrorPage(context_.root));
}

}  // namespace krav::app
