#include "app/main_window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <QtGlobal>

#include "app/accounting/accounting_page.h"
#include "app/dialogs/message_dialog.h"
#include "app/frame/page_frame.h"
#include "app/kit/colours.h"
#include "app/kit/qt_text.h"
#include "app/kit/screen.h"
#include "app/logic/agent_character.h"
#include "app/logic/asking.h"
#include "app/main_window/help_window.h"
#include "app/main_window/news_line.h"
#include "app/main_window/settings_page.h"
#include "app/planner/planner_page.h"
#include "app/planner/trash_page.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/process.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::app {
namespace {

constexpr int kTitleHeight = 37, kHitHeight = 30, kTabHeight = 36, kButtonSize = 20;
const char* const kButtonNames[] = {"AboutBtn", "HelpBtn", "minbtn", "maxbtn", "resbtn", "closebtn"};
const char* const kButtonHints[] = {"О программе", "Помощь (F1)",  "Свернуть",
                                    "Развернуть",  "Восстановить", "Закрыть"};
const char* const kButtonSymbols[] = {"i", "?", "–", "□", "❐", "×"};
enum { kAbout, kHelp, kMin, kMax, kRes, kClose };

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QPixmap TitlePicture(const QString& version) {
  QPixmap p(160, kTitleHeight);
  p.fill(colours::kTitleBlue);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  QFont title("Arial", 11, QFont::Bold);
  g.setFont(title);
  g.setPen(Qt::white);
  g.drawText(QRect(6, 2, 150, 19), Qt::AlignLeft | Qt::AlignVCenter, U("Кравитор 2000"));
  QFont small("Arial Cyr", 9, QFont::Bold, true);
  g.setFont(small);
  g.drawText(QRect(6, 21, 97, 13), Qt::AlignRight | Qt::AlignVCenter, version);
  return p;
}

}  // namespace

const char* MainWindowCaption() { return "Сообщения для Кравитора 2000"; }

TMessFrm::TMessFrm(const ProgramContext& context, const std::string& wantedPage)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), context_(context) {
  setObjectName("MessFrm");
  setWindowTitle(U(MainWindowCaption()));
  setMinimumSize(400, 420);
  resize(640, 520);

  window_ = std::make_unique<MessageWindow>([this](int msg, std::int64_t, std::int64_t) { handleMessage(msg); });
  if (window_->valid()) {
    notifier_ = std::make_unique<QSocketNotifier>(window_->fd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { window_->dispatch(); });
    caption_ = std::make_unique<CaptionRegistration>(Utf8ToCp1251(MainWindowCaption()), window_->handle());
  }

  const std::string info = shell::ModuleInfoFile(context_.root);
  moduleName_ = ReadIniString(info, shell::kModuleName.section, shell::kModuleName.key, Ru("Название не указано"));
  moduleVersion_ = ReadIniString(info, shell::kModuleVersion.section, shell::kModuleVersion.key, Ru("Не указана"));
  moduleUpdate_ = ReadIniString(info, shell::kModuleUpdate.section, shell::kModuleUpdate.key, Ru("Не указана"));
  const std::string handle = std::to_string(this->handle());
  // Without the handle the host cannot call this window; the program still works.
  if (!WriteIniString(context_.shellSettings, shell::kProgramWindow.section, shell::kProgramWindow.key, handle) ||
      !WriteIniString(context_.shellSettings, shell::kCurrentProgram.section, shell::kCurrentProgram.key, handle))
    qWarning("mess: the window handle could not be written to %s", FsPath(context_.shellSettings).c_str());

  buildTitleStrip();
  buildPages();
  settings_->load();

  const std::string& user = context_.userSettings;
  const int position =
      ReadIniInt(user, shell::kNewsPosition.section, shell::kNewsPosition.key, shell::kNewsPositionNone);
  const bool show = ReadIniBool(user, shell::kNewsShow.section, shell::kNewsShow.key, true);
  news_->setNewsText(show ? FromCp1251(ReadIniString(user, shell::kNewsText.section, shell::kNewsText.key, ""))
                          : QString());
  if (position != shell::kNewsPositionNone) news_->setOffset(position);

  const std::string pages = Ru("Планировщик");
  tabs_ = BuildTabList(ReadIniString(shell::ProgramsFile(context_.root), shell::kTreeSection, pages, "null"),
                       ReadIniString(context_.userSettings, shell::kTreeSection, pages, "null"), wantedPage);
  for (const Tab& t : tabs_.tabs) tabBar_->addTab(FromCp1251(t.caption));
  tabBar_->setVisible(tabs_.stripVisible);
  if (!tabs_.tabs.empty()) tabBar_->setCurrentIndex(tabs_.current - 1);
  connect(tabBar_, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0) switchToTab(index + 1);
  });
  switchToTab(tabs_.current);
  planner_->rebuild();
  trash_->rebuild();

  // The keyboard: the pages one after another, and the help.
  const std::pair<QKeySequence, int> steps[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                                {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                                                {QKeySequence(Qt::CTRL | Qt::Key_Backtab), -1},
                                                {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
  for (const auto& [keys, step] : steps) {
    auto* s = new QShortcut(keys, this);
    connect(s, &QShortcut::activated, this, [this, step = step] { switchTabBy(step); });
  }
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, &TMessFrm::showHelp);

  timer1_.setInterval(1000);
  connect(&timer1_, &QTimer::timeout, settings_, &SettingsPage::tick);
  timer1_.start();
}

TMessFrm::~TMessFrm() = default;

void TMessFrm::buildTitleStrip() {
  titleStrip_ = new QWidget(this);
  titleStrip_->setAttribute(Qt::WA_TransparentForMouseEvents);
  titlePicture_ = new QLabel(this);
  titlePicture_->setObjectName("Image2");
  titlePicture_->setPixmap(TitlePicture(FromCp1251(moduleVersion_)));
  titlePicture_->setAttribute(Qt::WA_TransparentForMouseEvents);
  news_ = new NewsLine(this);
  for (int i = 0; i < 6; ++i) {
    auto* b = new QToolButton(this);
    b->setObjectName(kButtonNames[i]);
    b->setToolTip(U(kButtonHints[i]));
    b->setAccessibleName(U(kButtonHints[i]));
    b->setText(U(kButtonSymbols[i]));
    b->setAutoRaise(true);
    b->setFixedSize(kButtonSize, kButtonSize);
    // White on the blue strip, hovered or not.
    b->setStyleSheet(
        "QToolButton { color: white; font-weight: bold; border: none; background: transparent; }"
        "QToolButton:hover { background: " +
        colours::Css(colours::kTitleHover) +
        "; }"
        "QToolButton:pressed { background: " +
        colours::Css(colours::kTitlePressed) +
        "; }"
        "QToolButton:focus { border: 1px dotted white; }");
    buttons_[i] = b;
  }
  buttons_[kRes]->hide();
  connect(buttons_[kAbout], &QToolButton::clicked, this, &TMessFrm::showAbout);
  connect(buttons_[kHelp], &QToolButton::clicked, this, &TMessFrm::showHelp);
  connect(buttons_[kMin], &QToolButton::clicked, this, &TMessFrm::minimiseAndClose);
  connect(buttons_[kClose], &QToolButton::clicked, this, &TMessFrm::closeByButton);
  connect(buttons_[kMax], &QToolButton::clicked, this, [this] {
    showMaximized();
    syncWindowButtons();
  });
  connect(buttons_[kRes], &QToolButton::clicked, this, [this] {
    showNormal();
    syncWindowButtons();
  });
  tabBar_ = new QTabBar(this);
  tabBar_->setObjectName("Bookmark20001");
  tabBar_->setDrawBase(false);
  tabBar_->setStyleSheet("QTabBar::tab { color: " + colours::Css(colours::kBandBlue) +
                         "; font-weight: bold; padding: 6px 14px; }");
}

void TMessFrm::buildPages() {
  notebook_ = new QStackedWidget(this);
  notebook_->setObjectName("Notebook1");
  planner_ = new PlannerPage(context_, notebook_);
  accounting_ = new AccountingPage(context_, notebook_);
  trash_ = new TrashPage(context_, notebook_);
  connect(planner_, &PlannerPage::recordsChanged, this, [this] { plannerChanged_ = true; });
  connect(planner_, &PlannerPage::trashChanged, trash_, &TrashPage::refill);
  connect(trash_, &TrashPage::recordsRestored, this, [this] {
    planner_->refill();
    plannerChanged_ = true;
    PostWindowMessage(context_.shellWindow(), shell::kMsgRecordsChanged, 0, 0);
  });
  settings_ = new SettingsPage(context_, notebook_);
  // In the order of the Page numbers.
  for (QWidget* w : std::initializer_list<QWidget*>{planner_, accounting_, trash_, settings_})
    notebook_->addWidget(w);
}

PageFrame* TMessFrm::page(int page) const {
  switch (page) {
    case kPlannerPage: return planner_;
    case kAccountingPage: return accounting_;
    case kTrashPage: return trash_;
    default: return nullptr;
  }
}

QToolButton* TMessFrm::windowButton(const char* name) const { return findChild<QToolButton*>(name); }

QImage TMessFrm::titlePicture() const { return titlePicture_->pixmap().toImage(); }

int TMessFrm::currentPage() const { return notebook_->currentIndex(); }

void TMessFrm::switchTabBy(int step) {
  const int count = static_cast<int>(tabs_.tabs.size());
  if (count == 0) return;
  const int current = tabBar_->currentIndex() < 0 ? 0 : tabBar_->currentIndex();
  tabBar_->setCurrentIndex(((current + step) % count + count) % count);  // switches through currentChanged
}

void TMessFrm::switchToTab(int tab) {
  if (tabs_.tabs.empty()) {
    notebook_->setCurrentIndex(kPlannerPage);
  } else if (tab >= 1 && tab <= static_cast<int>(tabs_.tabs.size())) {
    if (tabBar_->currentIndex() != tab - 1) {
      const QSignalBlocker quiet(tabBar_);
      tabBar_->setCurrentIndex(tab - 1);
    }
    const int page = PageOfCaption(tabs_.tabs[tab - 1].caption);
    if (page >= 0) notebook_->setCurrentIndex(page);
    if (page == kAccountingPage && plannerChanged_) {
      accounting_->rebuild();
      plannerChanged_ = false;
    }
  }
  layOutFrame();
}

void TMessFrm::layOutFrame() {
  const int w = width();
  titleStrip_->setGeometry(0, 0, w, kTitleHeight);
  titlePicture_->setGeometry(0, 0, 160, kTitleHeight);
  const int top = (kHitHeight - kButtonSize) / 2;
  int x = w - 6 - kButtonSize;
  buttons_[kClose]->move(x, top);
  x -= 2 + kButtonSize;
  buttons_[kMax]->move(x, top);
  buttons_[kRes]->move(x, top);
  x -= 2 + kButtonSize;
  buttons_[kMin]->move(x, top);
  x -= 5 + kButtonSize;
  buttons_[kHelp]->move(x, top);
  x -= 2 + kButtonSize;
  buttons_[kAbout]->move(x, top);
  news_->setGeometry(164, 6, std::max(0, x - 4 - 164), 18);
  int y = kTitleHeight;
  if (tabBar_->isVisible()) {
    tabBar_->setGeometry(0, y, w, kTabHeight);
    y += kTabHeight;
  }
  notebook_->setGeometry(0, y, w, height() - y);
}

void TMessFrm::resizeEvent(QResizeEvent*) { layOutFrame(); }

void TMessFrm::paintEvent(QPaintEvent*) {
  QPainter g(this);
  g.fillRect(QRect(0, 0, width(), kTitleHeight), colours::kTitleBlue);
  // BuLabel: the thinner band under the news line.
  g.fillRect(QRect(160, 28, width() - 161, kTitleHeight - 30), colours::kBandBlue);
  if (windowState() != lastState_) syncWindowButtons();
}

void TMessFrm::syncWindowButtons() {
  lastState_ = windowState();
  const bool normal = !(lastState_ & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
  buttons_[kRes]->setVisible(!normal);
  buttons_[kMax]->setVisible(normal);
}

void TMessFrm::placeFromSettings() {
  const std::string& ini = context_.shellSettings;
  const ScreenSize s = PrimaryScreenSize();
  const WindowPlacement now{false, x(), y(), width(), height()};
  auto stored = [&](const shell::Key& k) { return ReadIniInt(ini, k.section, k.key, 0); };
  const WindowPlacement p =
      RestorePlacement(stored(shell::kWindowLeft), stored(shell::kWindowTop), stored(shell::kWindowWidth),
                       stored(shell::kWindowHeight), stored(shell::kWindowState), now, s.width, s.height);
  if (p.maximised) {
    setWindowState(Qt::WindowMaximized);
  } else {
    setWindowState(Qt::WindowNoState);
    setGeometry(p.left, p.top, std::max(p.width, minimumWidth()), std::max(p.height, minimumHeight()));
  }
  syncWindowButtons();
}

void TMessFrm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!firstShow_) return;
  firstShow_ = false;
  placeFromSettings();
  layOutFrame();
  PostWindowMessage(handle(), shell::kMsgProgram2023, 0, 0);
}

void TMessFrm::bringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TMessFrm::handleMessage(int msg) {
  if (msg == shell::kMsgReloadList) planner_->rebuild();
  if (msg == shell::kMsgProgram2023) bringToFront();
  if (msg == shell::kMsgActivateWindow) {
    bringToFront();
    QApplication::alert(this);  // a second copy asked for us
  }
}

void TMessFrm::mousePressEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (e->button() == Qt::LeftButton && p.x() > 0 && p.x() < buttons_[kAbout]->x() && p.y() > 0 &&
      p.y() < kHitHeight && !news_->geometry().contains(p)) {
    if (windowHandle()) windowHandle()->startSystemMove();
    return;
  }
  QWidget::mousePressEvent(e);
}

void TMessFrm::showAbout() {
  AskMessage(moduleName_, AboutText(moduleVersion_, moduleUpdate_), "", 4, Ru("Понял@3"), "", "");
}

void TMessFrm::showHelp() {
  const std::string file = HelpFileOfPage(currentPage());
  if (file.empty()) return;
  const std::string viewer = shell::HelpViewer(context_.root);
  if (FileExists(viewer)) {
    Spawn({FsPath(viewer), "HELP", file});
    return;
  }
  // Without the shell's help viewer the page opens in the program's own window.
  const std::string page = shell::HelpPage(context_.root, file);
  if (!FileExists(page)) {
    AskMessage(Ru("Помощь"), Ru("Нет файла справки ") + page, "", 3, Ru("Понял"), "", "");
    return;
  }
  if (!help_) help_ = new HelpWindow(this);
  help_->showPage(page);
}

namespace {
std::optional<bool>& TrayForTesting() {
  static std::optional<bool> available;
  return available;
}
}  // namespace

void TMessFrm::setTrayForTesting(std::optional<bool> available) { TrayForTesting() = available; }

void TMessFrm::minimiseAndClose() {
  const bool tray = TrayForTesting() ? *TrayForTesting() : QSystemTrayIcon::isSystemTrayAvailable();
  if (!tray) {
    showMinimized();
    return;
  }
  if (TMdlg* d = TMdlg::instance()) d->agent().command("HideQuick");
  closeButton_ = false;
  close();
}

void TMessFrm::closeByButton() {
  if (TMdlg* d = TMdlg::instance()) d->agent().command("HideQuick");
  closeButton_ = true;
  close();
}

void TMessFrm::closeEvent(QCloseEvent* e) {
  e->accept();
  if (closing_) return;
  closing_ = true;
  settings_->save();
  ForceDir(context_.dataDir);
  // The news position and the window's place are conveniences: when the
  // settings cannot be written they are simply not kept.
  (void)WriteIniInt(context_.userSettings, shell::kNewsPosition.section, shell::kNewsPosition.key,
                    news_->offset());
  const std::string& ini = context_.shellSettings;
  const QRect g = isMaximized() ? normalGeometry() : geometry();
  auto store = [&](const shell::Key& k, int value) { (void)WriteIniInt(ini, k.section, k.key, value); };
  store(shell::kWindowLeft, g.x());
  store(shell::kWindowTop, g.y());
  store(shell::kWindowWidth, g.width());
  store(shell::kWindowHeight, g.height());
  store(shell::kWindowState, isMaximized() ? 1 : 0);
  hide();
  PostWindowMessage(context_.shellWindow(),
                    closeButton_ ? shell::kMsgPlannerClosedByButton : shell::kMsgPlannerClosedOtherwise, 0, 0);
}

}  // namespace krav::app
