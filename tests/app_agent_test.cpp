#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/agent/agent_window.h"
#include "app/logic/agent_character.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "qt_support.h"
#include "support.h"

namespace krav::app {
namespace {

const char* const kCharacter =
    "KRAV-AGENT 1\n# comment\n\nname=Owl\nsize=100x140\n"
    "animation=Show appear 900\nanimation=Think think 2000\nanimation=Greet wave 1500\n";

// Records what the character control asks of the figure.
struct FakeView : AgentView {
  std::vector<std::string>* log;
  Box box{0, 0, 100, 140};
  bool shown = false;
  int requests = 0;
  explicit FakeView(std::vector<std::string>* l) : log(l) {}
  bool isShown() const override { return shown; }
  void showFigure() override { shown = true, log->push_back("show"); }
  void hideFigure() override { shown = false, log->push_back("hide"); }
  Box figureGeometry() const override { return box; }
  void moveFigure(int left, int top) override {
    box.left = left, box.top = top;
    log->push_back("move " + std::to_string(left) + "," + std::to_string(top));
  }
  int play(const AgentAnimation& a) override {
    log->push_back("play " + a.name);
    return ++requests;
  }
  void stop(int request) override { log->push_back("stop " + std::to_string(request)); }
};

class Agent : public ::testing::Test {
 protected:
  test::TempRoot t;
  std::vector<std::string> log;
  FakeView* view = nullptr;
  AgentCharacter agent{[this](const AgentManifest&) {
                         auto v = std::make_unique<FakeView>(&log);
                         view = v.get();
                         return v;
                       },
                       [] {
                         return ScreenSize{1024, 768};
                       }};

  bool load(const std::string& text) {
    EXPECT_TRUE(SaveBytes(t.root() + "agent.acs", text));
    return agent.load("Krav2000", t.root() + "agent.acs");
  }
  void placeAt(int left, int top) {
    view->box.left = left, view->box.top = top;
    log.clear();
  }
};

TEST_F(Agent, AFreshCharacterWaitsHiddenInTheCorner) {
  ASSERT_TRUE(load(kCharacter));
  EXPECT_TRUE(agent.available());
  EXPECT_EQ(agent.name(), "Krav2000");
  EXPECT_FALSE(view->shown);
  EXPECT_EQ(agent.geometry(), (Box{1024 - 100 - 10, 768 - 140 - 10, 100, 140}));
}

TEST_F(Agent, MissingOrDamagedFileLeavesItUnavailable) {
  EXPECT_FALSE(agent.load("Krav2000", t.root() + "agent.acs"));
  EXPECT_FALSE(agent.available());
  agent.command("Show");
  agent.command("Greet");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(agent.geometry(), Box{});
  for (const std::string& bad :
       std::vector<std::string>{"name=Owl\nsize=100x140\nanimation=Show appear 900\n",     // no header
                                "KRAV-AGENT 1\nsize=100x140\nanimation=Greet wave 900\n",  // no Show
                                "KRAV-AGENT 1\nsize=10x140\nanimation=Show appear 900\n",  // too small
                                "KRAV-AGENT 1\nsize=100x140\nanimation=Show dance 900\n",  // unknown motion
                                "KRAV-AGENT 1\nsize=100x140\nanimation=Show appear\n",     // no duration
                                "KRAV-AGENT 1\nsize=100x140\nanimation=Show appear 900\ngarbage\n",  // a bad line
                                std::string("KRAV-AGENT 1\nsize=100x\0\x01\n", 24)}) {
    EXPECT_FALSE(load(bad)) << bad;
    EXPECT_FALSE(agent.available());
  }
}

TEST_F(Agent, ShowQuickOnlyShowsACharacterOnTheScreen) {
  ASSERT_TRUE(load(kCharacter));
  placeAt(300, 200);
  agent.command("ShowQuick");
  EXPECT_EQ(log, (std::vector<std::string>{"show"}));
  agent.command("ShowQuick");  // already visible: nothing more
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(Agent, ParkingAndComingBack) {
  ASSERT_TRUE(load(kCharacter));
  placeAt(300, 200);
  agent.command("ShowQuick");
  agent.command("HideQuick");
  EXPECT_EQ(agent.parkedLeft(), 300);
  EXPECT_EQ(agent.geometry(), (Box{1034, 200, 100, 140}));
  EXPECT_TRUE(view->shown);  // parked, not hidden
  agent.command("ShowQuick");
  EXPECT_EQ(agent.geometry(), (Box{300, 200, 100, 140}));

  // Parked twice: the second parking remembered a place beyond the screen,
  // so the character comes back to the bottom right corner.
  agent.command("HideQuick");
  agent.command("HideQuick");
  EXPECT_EQ(agent.parkedLeft(), 1034);
  agent.command("ShowQuick");
  EXPECT_EQ(agent.geometry(), (Box{1024 - 100 - 10, 768 - 140 - 10, 100, 140}));
}

TEST_F(Agent, AnimationsStopTheLastOneFirst) {
  ASSERT_TRUE(load(kCharacter));
  log.clear();
  agent.command("Think");
  agent.command("Greet");
  agent.command("Stop");
  agent.command("Stop");   // nothing left to stop
  agent.command("Dance");  // not in the file: stops the last one, plays nothing
  agent.command("");
  agent.command("show");  // names are case-sensitive: an unknown animation
  EXPECT_EQ(log, (std::vector<std::string>{"play Think", "stop 1", "play Greet", "stop 2"}));
  log.clear();
  agent.command("Hide");  // not shown yet: nothing to hide
  agent.command("Show");
  agent.command("Show");
  agent.command("Hide");
  agent.command("Hide");
  EXPECT_EQ(log, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(Agent, AnimationOfAPictureKind) {
  EXPECT_EQ(AnimationForPictureKind(t.root(), 2), "Show");
  EXPECT_TRUE(WriteIniString(t.root() + "agent.ini", "Commandes", "2", "Think"));
  EXPECT_EQ(AnimationForPictureKind(t.root(), 2), "Think");
  EXPECT_EQ(AnimationForPictureKind(t.root(), 3), "Show");
}

// The shipped character file is valid and names every animation of agent.ini.
TEST(AgentData, ShippedCharacterHasTheAnimationsOfItsSettings) {
  std::string bytes;
  ASSERT_TRUE(LoadBytes(std::string(KRAV_SOURCE_DIR) + "/data/root/agent.acs", bytes));
  const auto manifest = ParseAgentManifest(bytes);
  ASSERT_TRUE(manifest);
  const std::string ini = std::string(KRAV_SOURCE_DIR) + "/data/root/agent.ini";
  for (int kind = 1; kind <= 6; ++kind) {
    const std::string name = ReadIniString(ini, "Commandes", std::to_string(kind), "");
    EXPECT_NE(manifest->find(name), nullptr) << kind << " " << name;
  }
}

TEST(AgentWindowTest, PlaysAndDrawsTheFigure) {
  test::TestApp();
  const auto manifest = ParseAgentManifest(kCharacter);
  ASSERT_TRUE(manifest);
  AgentWindow w(*manifest);
  EXPECT_EQ(w.size(), QSize(100, 140));
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
  w.showFigure();
  EXPECT_EQ(w.playing(), "Show");
  const int r = w.play(*manifest->find("Think"));
  EXPECT_EQ(w.playing(), "Think");
  w.stop(r - 1);  // an older request does not stop the current one
  EXPECT_EQ(w.playing(), "Think");
  w.stop(r);
  EXPECT_EQ(w.playing(), "");
  // The figure covers a good part of its window and leaves the rest clear.
  const QImage still = w.still(*manifest->find("Think"), 0.5);
  int opaque = 0;
  for (int y = 0; y < still.height(); ++y)
    for (int x = 0; x < still.width(); ++x) opaque += qAlpha(still.pixel(x, y)) > 0;
  EXPECT_GT(opaque, still.width() * still.height() / 5);
  EXPECT_LT(opaque, still.width() * still.height() * 9 / 10);
  for (const auto& a : manifest->animations)
    test::SaveScreenshot(w.still(a, 0.5), "agent-" + QString::fromStdString(a.name));
}

}  // namespace
}  // namespace krav::app
