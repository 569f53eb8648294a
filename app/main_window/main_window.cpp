#include "app/main_window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include "app/agent/agent_character.h"
#include "app/dialogs/message_dialog.h"
#include "app/main_window/news_line.h"
#include "app/main_window/page_frame.h"
#include "app/main_window/settings_page.h"
#include "app/qt_text.h"
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
const char* const kButtonHints[] = {"О программе", "Помощь", "Свернуть", "Развернуть", "Восстановить", "Закрыть"};
const char* const kButtonSymbols[] = {"i", "?", "–", "□", "❐", "×"};
enum { kAbout, kHelp, kMin, kMax, kRes, kClose };

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QPixmap TitlePicture(const QString& version) {
  QPixmap p(160, kTitleHeight);
  p.fill(QColor(0, 0, 187));
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

ScreenSize Screen() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? ScreenSize{s->geometry().width(), s->geometry().height()} : ScreenSize{1024, 768};
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
  moduleName_ = ReadIniString(info, "Main", "Name", Ru("Название не указано"));
  moduleVersion_ = ReadIniString(info, "Main", "Version", Ru("Не указана"));
  moduleUpdate_ = ReadIniString(info, "Main", "Update", Ru("Не указана"));
  const std::string handle = std::to_string(this->handle());
  WriteIniString(context_.shellSettings, shell::kProgramWindow.section, shell::kProgramWindow.key, handle);
  WriteIniString(context_.shellSettings, shell::kCurrentProgram.section, shell::kCurrentProgram.key, handle);

  buildTitleStrip();
  buildPages();
  settings_->load();

  const int position = ReadIniInt(context_.userSettings, "News", "RLPosition", 32000);
  const bool show = ReadIniBool(context_.userSettings, "News", "Show", true);
  news_->setNewsText(show ? FromCp1251(ReadIniString(context_.userSettings, "News", "String", "")) : QString());
  if (position != 32000) news_->setOffset(position);

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
  frames_[kPlannerPage]->rebuild();
  frames_[kTrashPage]->rebuild();

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
    b->setText(U(kButtonSymbols[i]));
    b->setAutoRaise(true);
    b->setFixedSize(kButtonSize, kButtonSize);
    b->setStyleSheet("QToolButton { color: white; font-weight: bold; }");
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
  tabBar_->setStyleSheet("QTabBar::tab { color: #0000A0; font-weight: bold; padding: 6px 14px; }");
}

void TMessFrm::buildPages() {
  notebook_ = new QStackedWidget(this);
  notebook_->setObjectName("Notebook1");
  auto* planner = new PageFrame("Caption20001", U("Планировщик : основная"), U("Нет данных"), notebook_);
  PageHeader* h = planner->header();
  h->addTool("SpeedButton26", U("↔"), U("Диапазон"));
  h->addTool("SpeedButton27", U("▦"), U("Календарь"));
  h->addTool("SpeedButton28", U("●"), U("Сегодня"), 5);
  h->addTool("SpeedButton2", U("✕"), U("Удалить записи"), 5);
  h->addTool("SpeedButton1", U("✎"), U("Открыть запись"));
  h->addTool("SpeedButton7", U("+"), U("Добавить запись"));
  auto* accounting = new PageFrame("Caption20003", U("Домашняя бухгалтерия"), U("Нет данных"), notebook_);
  h = accounting->header();
  h->addTool("SpeedButton5", U("↔"), U("Диапазон"));
  h->addTool("SpeedButton4", U("▦"), U("Календарь"));
  h->addTool("SpeedButton3", U("●"), U("Сегодня"), 5);
  h->addTool("SpeedButton19", U("⚙"), U("Настройки ..."));
  auto* trash = new PageFrame("Caption20009", U("Планировщик : корзина"), U("Список пуст"), notebook_);
  h = trash->header();
  h->addTool("SpeedButton30", U("🗑"), U("Очистить корзину"));
  h->addTool("SpeedButton29", U("✕"), U("Удалить отмеченные"));
  settings_ = new SettingsPage(context_, notebook_);
  frames_ = {planner, accounting, trash};
  for (QWidget* w : {static_cast<QWidget*>(planner), static_cast<QWidget*>(accounting),
                     static_cast<QWidget*>(trash), static_cast<QWidget*>(settings_)})
    notebook_->addWidget(w);
}

QToolButton* TMessFrm::windowButton(const char* name) const { return findChild<QToolButton*>(name); }

QImage TMessFrm::titlePicture() const { return titlePicture_->pixmap().toImage(); }

int TMessFrm::currentPage() const { return notebook_->currentIndex(); }

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
      frames_[kAccountingPage]->rebuild();
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
  g.fillRect(QRect(0, 0, width(), kTitleHeight), QColor(0, 0, 187));
  // BuLabel: the thinner band under the news line.
  g.fillRect(QRect(160, 28, width() - 161, kTitleHeight - 30), QColor(0, 0, 160));
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
  const ScreenSize s = Screen();
  const WindowPlacement now{false, x(), y(), width(), height()};
  const WindowPlacement p = RestorePlacement(ReadIniInt(ini, "Voza", "Left", 0), ReadIniInt(ini, "Voza", "Top", 0),
                                             ReadIniInt(ini, "Voza", "Width", 0), ReadIniInt(ini, "Voza", "Height", 0),
                                             ReadIniInt(ini, "Voza", "State", 0), now, s.width, s.height);
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
  if (msg == shell::kMsgReloadList) frames_[kPlannerPage]->rebuild();
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
  ShowMessageDialog(moduleName_, AboutText(moduleVersion_, moduleUpdate_), "", 4, Ru("Понял@3"), "", "");
}

void TMessFrm::showHelp() {
  const std::string file = HelpFileOfPage(currentPage());
  if (file.empty()) return;
  const std::string viewer = shell::HelpViewer(context_.root);
  if (FileExists(viewer)) {
    Spawn({FsPath(viewer), "HELP", file});
    return;
  }
  // Without the shell's help viewer the page opens in the desktop's browser.
  const std::string page = shell::HelpPage(context_.root, file);
  if (FileExists(page)) QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(FsPath(page))));
}

void TMessFrm::minimiseAndClose() {
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
  WriteIniInt(context_.userSettings, "News", "RLPosition", news_->offset());
  const std::string& ini = context_.shellSettings;
  const QRect g = isMaximized() ? normalGeometry() : geometry();
  WriteIniInt(ini, "Voza", "Left", g.x());
  WriteIniInt(ini, "Voza", "Top", g.y());
  WriteIniInt(ini, "Voza", "Width", g.width());
  WriteIniInt(ini, "Voza", "Height", g.height());
  WriteIniInt(ini, "Voza", "State", isMaximized() ? 1 : 0);
  hide();
  PostWindowMessage(context_.shellWindow,
                    closeButton_ ? shell::kMsgPlannerClosedByButton : shell::kMsgPlannerClosedOtherwise, 0, 0);
}

}  // namespace krav::app
