#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <vector>

#include "app/frame/page_frame.h"
#include "app/kit/colours.h"
#include "app/logic/frame_logic.h"
#include "app/logic/preset_asking.h"
#include "app/main_window/help_window.h"
#include "app/main_window/main_window.h"
#include "app/main_window/news_line.h"
#include "app/main_window/settings_page.h"
#include "app/startup.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "shell/messages.h"
#include "support.h"

namespace krav::app {
namespace {

const std::string kModulePages = Ru("null;Основная,main;Бухгалтерия,buh;Корзина,trash;Настройка,setup");

TEST(TabList, AllPagesAndTheWantedOne) {
  TabList t = BuildTabList(kModulePages, "null", "trash");
  ASSERT_EQ(t.tabs.size(), 4u);
  EXPECT_EQ(t.tabs[1].caption, Ru("Бухгалтерия"));
  EXPECT_EQ(t.current, 3);
  EXPECT_EQ(t.page(), kTrashPage);
  EXPECT_TRUE(t.stripVisible);
  // The wanted identifier is compared exactly; no match leaves the first tab.
  EXPECT_EQ(BuildTabList(kModulePages, "null", "TRASH").current, 1);
  EXPECT_EQ(BuildTabList(kModulePages, "null", "nothing").current, 1);
}

TEST(TabList, NoEntryAndAFilterNamingNothing) {
  for (const TabList& t : {BuildTabList("null", "null", ""), BuildTabList(kModulePages, "x;y", "main")}) {
    EXPECT_TRUE(t.tabs.empty());
    EXPECT_FALSE(t.stripVisible);
    EXPECT_EQ(t.page(), kPlannerPage);
  }
}

TEST(TabList, TheUserFilterIgnoresLetterCase) {
  const TabList t = BuildTabList(kModulePages, "BUH;Setup", "setup");
  ASSERT_EQ(t.tabs.size(), 2u);
  EXPECT_EQ(t.tabs[0].id, "buh");
  EXPECT_EQ(t.current, 2);
  EXPECT_EQ(t.page(), kSettingsPage);
  // One page: no strip, but its caption still chooses the page.
  const TabList one = BuildTabList(kModulePages, "buh", "");
  EXPECT_FALSE(one.stripVisible);
  EXPECT_EQ(one.page(), kAccountingPage);
}

TEST(Placement, StoredValuesAndTheScreenEdges) {
  const WindowPlacement now{false, 10, 20, 640, 520};
  EXPECT_TRUE(RestorePlacement(50, 60, 700, 500, 1, now, 1024, 768).maximised);
  EXPECT_EQ(RestorePlacement(50, 60, 700, 500, 1, now, 1024, 768).left, 10);  // not applied
  EXPECT_EQ(RestorePlacement(50, 60, 700, 500, 0, now, 1024, 768), (WindowPlacement{false, 50, 60, 700, 500}));
  EXPECT_EQ(RestorePlacement(0, -5, 0, 0, 0, now, 1024, 768), now);
  EXPECT_EQ(RestorePlacement(2000, 900, 700, 500, 0, now, 1024, 768),
            (WindowPlacement{false, 324, 268, 700, 500}));
  EXPECT_EQ(RestorePlacement(1024, 100, 0, 0, 0, now, 1024, 768).left, 1024 - 640);
}

TEST(FrameText, HelpFilesAndAbout) {
  EXPECT_EQ(HelpFileOfPage(kPlannerPage), "Mess1.htm");
  EXPECT_EQ(HelpFileOfPage(kTrashPage), "Mess3.htm");
  EXPECT_EQ(HelpFileOfPage(kSettingsPage), "");
  EXPECT_EQ(AboutText("2.1", "05.2004"), Ru("Для Кравитора 2000 2.1\r\nМодификация : 05.2004"));
}

// A stand-in for the shell's window that records what it receives.
struct ShellWindow {
  std::vector<int> received;
  MessageWindow window{[this](int msg, std::int64_t, std::int64_t) { received.push_back(msg); }};
  int count(int msg) const { return static_cast<int>(std::count(received.begin(), received.end(), msg)); }
  void drain() {
    for (int i = 0; i < 20; ++i) {
      window.waitAndDispatch(10);
      QCoreApplication::processEvents();
    }
  }
};

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TestApp();
    ::setenv("KRAV_RUNTIME_DIR", (t.root() + "run").c_str(), 1);
    shell = std::make_unique<ShellWindow>();
    EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Users", "Active", t.user()));
    EXPECT_TRUE(
        WriteIniString(t.root() + "krav2000.ini", "Main", "Handle", std::to_string(shell->window.handle())));
    EXPECT_TRUE(WriteIniString(t.root() + "programs.ini", "Tree", Ru("Планировщик"), kModulePages));
    context = ProgramContext::ForRoot(t.root());
  }
  void TearDown() override {
    shell.reset();
    ::unsetenv("KRAV_RUNTIME_DIR");
  }
  std::string shellIni(const char* section, const char* key) {
    return ReadIniString(t.root() + "krav2000.ini", section, key, "");
  }
  std::string userIni(const char* section, const char* key) {
    return ReadIniString(context.userSettings, section, key, "");
  }

  test::TempRoot t;
  std::unique_ptr<ShellWindow> shell;
  ProgramContext context;
};

TEST_F(MainWindow, StartBindsToTheShellAndShowsTheWantedPage) {
  EXPECT_TRUE(WriteIniString(t.root() + "in200.inf", "Main", "Version", "2.0"));
  TMessFrm w(context, "setup");
  EXPECT_EQ(context.shellWindow(), shell->window.handle());
  EXPECT_EQ(shellIni("Appl", "Voza"), std::to_string(w.handle()));
  EXPECT_EQ(shellIni("Appl", "Current"), std::to_string(w.handle()));
  EXPECT_EQ(w.currentPage(), kSettingsPage);
  EXPECT_FALSE(w.tabBar()->isHidden());
  EXPECT_EQ(w.tabBar()->count(), 4);
  EXPECT_EQ(w.windowButton("HelpBtn")->toolTip(), QString::fromUtf8("Помощь (F1)"));
  EXPECT_EQ(w.page(kTrashPage)->emptyText(), QString::fromUtf8("Список пуст"));
  EXPECT_EQ(w.page(kPlannerPage)->header()->tool("SpeedButton7")->toolTip(), QString::fromUtf8("Добавить запись"));
  EXPECT_EQ(w.page(kPlannerPage)->rebuilds(), 1);
  w.switchToTab(1);
  EXPECT_EQ(w.currentPage(), kPlannerPage);
  // 3044 rebuilds the planner list.
  w.handleMessage(shell::kMsgReloadList);
  EXPECT_EQ(w.page(kPlannerPage)->rebuilds(), 2);
  // The accounting page rebuilds when shown after a planner change.
  w.setPlannerChanged(true);
  w.switchToTab(2);
  EXPECT_EQ(w.page(kAccountingPage)->rebuilds(), 1);
  w.switchToTab(2);
  EXPECT_EQ(w.page(kAccountingPage)->rebuilds(), 1);
}

// The keyboard reaches every page and the help: Ctrl+Tab / Ctrl+PgDn go on,
// Ctrl+Shift+Tab / Ctrl+PgUp back (round the ends), F1 opens the page's help
// in the program's own window, whose links and back and forward work.
TEST_F(MainWindow, TheKeyboardSwitchesPagesAndOpensTheHelp) {
  ForceDir(t.root() + "Help");
  // As the root's installation writes them: the template's UTF-8 in cp1251.
  for (const char* page : {"Mess1.htm", "Mess3.htm", "Keys.htm"}) {
    std::string bytes;
    ASSERT_TRUE(LoadBytes(std::string(KRAV_SOURCE_DIR) + "/data/root/Help/" + page, bytes));
    ASSERT_TRUE(SaveBytes(t.root() + "Help/" + page, Utf8ToCp1251(bytes)));
  }
  TMessFrm w(context, "");
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.switchToTab(1);
  QTest::keyClick(&w, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(w.currentPage(), kAccountingPage);
  QTest::keyClick(&w, Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(w.currentPage(), kTrashPage);
  QTest::keyClick(&w, Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(w.currentPage(), kAccountingPage);
  w.switchToTab(1);
  QTest::keyClick(&w, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w.currentPage(), kSettingsPage);  // round the end

  w.switchToTab(1);
  QTest::keyClick(&w, Qt::Key_F1);
  HelpWindow* help = w.helpWindow();
  ASSERT_TRUE(help);
  EXPECT_TRUE(help->isVisible());
  const QString text = help->browser()->toPlainText();
  EXPECT_TRUE(text.contains(QString::fromUtf8("Быстрая запись"))) << text.toStdString();  // read as cp1251
  EXPECT_FALSE(help->backButton()->isEnabled());
  help->browser()->setSource(QUrl("Keys.htm"));  // as a link is followed
  EXPECT_TRUE(help->browser()->toPlainText().contains(QString::fromUtf8("Ctrl+PgDn")));
  EXPECT_TRUE(help->backButton()->isEnabled());
  test::SaveScreenshot(help->grab().toImage(), "help-window");
  help->backButton()->click();
  EXPECT_TRUE(help->browser()->toPlainText().contains(QString::fromUtf8("Быстрая запись")));
  EXPECT_TRUE(help->forwardButton()->isEnabled());
  EXPECT_FALSE(help->backButton()->accessibleName().isEmpty());
}

TEST_F(MainWindow, PagesAndTheTitlePictureForAPerson) {
  EXPECT_TRUE(WriteIniString(t.root() + "in200.inf", "Main", "Version", "2.0"));
  EXPECT_TRUE(WriteIniString(context.userSettings, "News", "String", Ru("Новости Кравитора")));
  TMessFrm w(context, "");
  w.show();
  // Without a stored offset the text starts at the right edge and moves left.
  EXPECT_EQ(w.newsLine()->offset(), w.newsLine()->width());
  w.newsLine()->step();
  EXPECT_EQ(w.newsLine()->offset(), w.newsLine()->width() - 3);
  for (int tab = 1; tab <= 4; ++tab) {
    w.switchToTab(tab);
    test::SaveScreenshot(w.grab().toImage(), QString("main-window-page-%1").arg(tab - 1));
  }
  // At the smallest size nothing of a page's header overlaps.
  w.resize(w.minimumSize());
  for (int tab = 1; tab <= 3; ++tab) {
    w.switchToTab(tab);
    QApplication::processEvents();
    PageHeader* header = w.page(tab == 1 ? kPlannerPage : tab == 2 ? kAccountingPage : kTrashPage)->header();
    const auto labels = header->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    int leftmostTool = header->width();
    for (const QToolButton* b : header->findChildren<QToolButton*>()) leftmostTool = std::min(leftmostTool, b->x());
    EXPECT_LT(labels[0]->geometry().right(), labels[1]->geometry().left()) << tab;
    EXPECT_LT(labels[1]->geometry().right(), leftmostTool) << tab;
    test::SaveScreenshot(w.grab().toImage(), QString("main-window-smallest-page-%1").arg(tab - 1));
  }
  // The version is painted in white on the title picture.
  const QImage title = w.titlePicture();
  int white = 0;
  for (int y = 21; y < 34; ++y)
    for (int x = 6; x < 103; ++x) white += (title.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
  EXPECT_GT(white, 5);
  EXPECT_EQ(w.newsLine()->newsText(), QString::fromUtf8("Новости Кравитора"));
  w.closeByButton();
}

TEST_F(MainWindow, NoTabsShowThePlannerPage) {
  EXPECT_TRUE(WriteIniString(context.userSettings, "Tree", Ru("Планировщик"), "nothing"));
  TMessFrm w(context, "buh");
  EXPECT_TRUE(w.tabs().tabs.empty());
  EXPECT_TRUE(w.tabBar()->isHidden());
  EXPECT_EQ(w.currentPage(), kPlannerPage);
}

TEST_F(MainWindow, CloseSequenceRunsOnceAndTellsTheShellHow) {
  EXPECT_TRUE(WriteIniInt(t.root() + "krav2000.ini", "Voza", "Left", 30));
  EXPECT_TRUE(WriteIniInt(t.root() + "krav2000.ini", "Voza", "Width", 700));
  {
    TMessFrm w(context, "");
    w.show();
    w.newsLine()->setOffset(-42);
    w.closeByButton();
    w.close();
    EXPECT_TRUE(w.closing());
    shell->drain();
  }
  EXPECT_EQ(shell->count(shell::kMsgPlannerClosedByButton), 1);
  EXPECT_EQ(shell->count(shell::kMsgPlannerClosedOtherwise), 0);
  EXPECT_EQ(shell->count(shell::kMsgRecordsChanged), 1);  // the settings saved at close
  EXPECT_EQ(userIni("News", "RLPosition"), "-42");
  EXPECT_EQ(shellIni("Voza", "Left"), "30");
  EXPECT_EQ(shellIni("Voza", "Width"), "700");
  EXPECT_EQ(shellIni("Voza", "State"), "0");

  shell->received.clear();
  TMessFrm::setTrayForTesting(true);
  TMessFrm w(context, "");
  w.show();
  w.minimiseAndClose();
  shell->drain();
  EXPECT_EQ(shell->count(shell::kMsgPlannerClosedOtherwise), 1);
  EXPECT_EQ(shell->count(shell::kMsgPlannerClosedByButton), 0);

  // Without a system tray the shell offers no way back: minimised, not closed.
  shell->received.clear();
  TMessFrm::setTrayForTesting(false);
  TMessFrm kept(context, "");
  kept.show();
  shell->drain();  // its first showing brings it to the front once
  kept.minimiseAndClose();
  shell->drain();
  EXPECT_FALSE(kept.closing());
  EXPECT_FALSE(kept.isHidden());
  EXPECT_TRUE(kept.isMinimized());
  EXPECT_EQ(shell->count(shell::kMsgPlannerClosedOtherwise), 0);
  TMessFrm::setTrayForTesting(std::nullopt);
}

TEST_F(MainWindow, StoredStateOneOpensMaximised) {
  EXPECT_TRUE(WriteIniInt(t.root() + "krav2000.ini", "Voza", "State", 1));
  TMessFrm w(context, "");
  w.show();
  EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
  EXPECT_FALSE(w.windowButton("resbtn")->isHidden());
  EXPECT_TRUE(w.windowButton("maxbtn")->isHidden());
}

TEST_F(MainWindow, SettingsDefaultsAndOneSavePerChange) {
  TMessFrm w(context, "setup");
  SettingsPage* s = w.settingsPage();
  EXPECT_EQ(s->soundEdit()->text(), QString::fromUtf8("Кравитор2000\\Sound\\message.wav"));
  EXPECT_TRUE(s->showDialogBox()->isChecked());
  EXPECT_TRUE(s->autoDeleteBox()->isChecked());
  EXPECT_TRUE(s->speakBox()->isChecked());
  s->tick();
  shell->drain();
  EXPECT_TRUE(shell->received.empty());  // nothing changed, nothing saved

  s->speakBox()->click();
  EXPECT_TRUE(s->changed());
  s->tick();
  s->tick();
  s->tick();
  shell->drain();
  EXPECT_EQ(userIni("Messages", "Speak"), "0");
  EXPECT_EQ(userIni("Messages", "ShowDialog"), "1");
  EXPECT_EQ(shell->count(shell::kMsgRecordsChanged), 1);
  EXPECT_FALSE(s->changed());
}

TEST_F(MainWindow, PlayUsesTheTypedPathAndStopAsksTheShell) {
  TMessFrm w(context, "setup");
  SettingsPage* s = w.settingsPage();
  s->soundEdit()->setText("/tmp/other.wav");
  s->play();
  s->stop();
  shell->drain();
  EXPECT_EQ(shellIni("Media", "Subfile"), "/tmp/other.wav");
  EXPECT_EQ(shell->received, (std::vector<int>{shell::kMsgPlaySound, shell::kMsgStopSound}));
  // Not stored until the edit loses the focus.
  EXPECT_FALSE(s->changed());
  EXPECT_EQ(userIni("Messages", "Mus"), "");
}

TEST_F(MainWindow, AboutAndTheSoundFileAreAskedThroughTheSeam) {
  PresetAsking asked;
  const ScopedAsking scope(asked);
  EXPECT_TRUE(WriteIniString(t.root() + "in200.inf", "Main", "Version", "2.1"));
  TMessFrm w(context, "setup");
  w.windowButton("AboutBtn")->click();
  ASSERT_EQ(asked.messages().size(), 1u);
  EXPECT_EQ(asked.messages()[0].pictureKind, 4);
  EXPECT_EQ(asked.messages()[0].button4, Ru("Понял@3"));
  EXPECT_NE(asked.messages()[0].text.find("2.1"), std::string::npos);

  asked.pickNextFile("/tmp/chosen.wav");
  w.settingsPage()->browse();
  EXPECT_EQ(w.settingsPage()->soundEdit()->text(), "/tmp/chosen.wav");
  w.settingsPage()->browse();  // cancelled: the text stays
  EXPECT_EQ(w.settingsPage()->soundEdit()->text(), "/tmp/chosen.wav");
  ASSERT_EQ(asked.fileRequests().size(), 2u);
  EXPECT_EQ(asked.fileRequests()[1].folder, "/tmp");
}

TEST_F(MainWindow, AShellThatStartedAgainStillGetsTheMessages) {
  TMessFrm w(context, "setup");
  // The shell restarts with another window after the program started.
  ShellWindow second;
  EXPECT_TRUE(WriteIniString(t.root() + "krav2000.ini", "Main", "Handle", std::to_string(second.window.handle())));
  w.settingsPage()->stop();
  second.drain();
  shell->drain();
  EXPECT_EQ(second.count(shell::kMsgStopSound), 1);
  EXPECT_EQ(shell->count(shell::kMsgStopSound), 0);
}

TEST_F(MainWindow, TitleButtonsStayReadableUnderThePointer) {
  TMessFrm w(context, "");
  w.show();
  for (const char* name : {"AboutBtn", "HelpBtn", "minbtn", "maxbtn", "closebtn"}) {
    QToolButton* b = w.windowButton(name);
    b->setAttribute(Qt::WA_UnderMouse, true);
    const QImage hovered = b->grab().toImage();
    b->setAttribute(Qt::WA_UnderMouse, false);
    // The symbol is light; most of the button is not.
    int white = 0;
    for (int y = 0; y < hovered.height(); ++y)
      for (int x = 0; x < hovered.width(); ++x) white += QColor(hovered.pixel(x, y)).lightness() > 200;
    EXPECT_GT(white, 0) << name;
    EXPECT_LT(white, hovered.width() * hovered.height() / 3) << name;
    EXPECT_EQ(QColor(hovered.pixel(1, 1)), colours::kTitleHover) << name;
    EXPECT_FALSE(b->accessibleName().isEmpty()) << name;
  }
}

// Every symbol a button shows is in a font of the machine, or the button
// shows a picture.
TEST_F(MainWindow, EveryButtonSymbolHasAGlyph) {
  TMessFrm w(context, "");
  std::vector<QRawFont> fonts;
  for (const QString& family : QFontDatabase::families()) fonts.push_back(QRawFont::fromFont(QFont(family)));
  ASSERT_FALSE(fonts.empty());
  int buttons = 0;
  for (QToolButton* b : w.findChildren<QToolButton*>()) {
    if (qobject_cast<QTabBar*>(b->parentWidget())) continue;  // the tab strip's own scroll arrows
    ++buttons;
    EXPECT_FALSE(b->accessibleName().isEmpty()) << b->objectName().toStdString();
    if (b->text().isEmpty()) {
      EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
      continue;
    }
    for (const uint ch : b->text().toUcs4()) {
      const bool found =
          std::any_of(fonts.begin(), fonts.end(), [&](const QRawFont& f) { return f.supportsCharacter(ch); });
      EXPECT_TRUE(found) << b->objectName().toStdString() << " U+" << std::hex << ch;
    }
  }
  EXPECT_GE(buttons, 18);
}

TEST(QtTranslations, TheToolkitsOwnButtonsSpeakRussian) {
  QApplication& app = test::TestApp();
  LoadQtTranslations(app);
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
}

TEST_F(MainWindow, ASecondCopyHandsOverAndEnds) {
  TMessFrm w(context, "");
  EXPECT_EQ(FindWindowByCaption(Utf8ToCp1251(MainWindowCaption())), w.handle());
  auto first = TakeSingleInstance();
  ASSERT_TRUE(first);
  int activations = 0;
  MessageWindow probe(
      [&](int msg, std::int64_t, std::int64_t) { activations += msg == shell::kMsgActivateWindow; });
  CaptionRegistration caption(Utf8ToCp1251(MainWindowCaption()), probe.handle());
  // The newest registration of the caption answers: here the probe's.
  EXPECT_FALSE(TakeSingleInstance());
  for (int i = 0; i < 20 && !activations; ++i) probe.waitAndDispatch(10);
  EXPECT_EQ(activations, 1);
  first.reset();
  EXPECT_TRUE(TakeSingleInstance());
}

TEST_F(MainWindow, TheProgramStartedTwiceEndsWithoutAWindow) {
  auto first = TakeSingleInstance();
  ASSERT_TRUE(first);
  int activations = 0;
  MessageWindow probe(
      [&](int msg, std::int64_t, std::int64_t) { activations += msg == shell::kMsgActivateWindow; });
  CaptionRegistration caption(Utf8ToCp1251(MainWindowCaption()), probe.handle());
  // A copy that opened a window would run until the timeout kills it (124).
  const int status = std::system((std::string("timeout 20 ") + KRAV_BUILD_DIR + "/app/mess").c_str());
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  for (int i = 0; i < 20 && !activations; ++i) probe.waitAndDispatch(10);
  EXPECT_EQ(activations, 1);
}

TEST(MessProgram, AFolderWithALetterOutsideTheCodePageIsRefused) {
  test::TempRoot t;
  const std::string folder = FsPath(t.root()) + "Łódź";
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(std::string(KRAV_BUILD_DIR) + "/app/mess", folder + "/mess");
  const std::string out = t.root() + "out.txt";
  const int status = std::system(("timeout 20 '" + folder + "/mess' > '" + out + "' 2>&1").c_str());
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  std::string text;
  EXPECT_TRUE(LoadBytes(out, text));
  EXPECT_NE(text.find("\"Ł\""), std::string::npos) << text;
  // Nothing was made beside the program.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace krav::app
