// The agent character: an animated figure that stands on the desktop and
// "says" the program's messages. This is the control logic: loading the
// character file, the command set, parking beside the screen. The figure
// itself is drawn by an AgentView (AgentWindow on the desktop, a recording
// fake in tests). Every failure leaves the character unavailable or ends
// the command quietly; callers never see an error.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/logic/agent_manifest.h"
#include "app/logic/message_layout.h"

namespace krav::app {

class AgentView {
 public:
  virtual ~AgentView() = default;
  virtual bool isShown() const = 0;
  virtual void showFigure() = 0;
  virtual void hideFigure() = 0;
  virtual Box figureGeometry() const = 0;
  virtual void moveFigure(int left, int top) = 0;
  // Starts an animation; returns its request number (> 0), or 0 when the
  // figure has no such animation.
  virtual int play(const AgentAnimation& animation) = 0;
  virtual void stop(int request) = 0;
};

class AgentCharacter {
 public:
  using ViewFactory = std::function<std::unique_ptr<AgentView>(const AgentManifest&)>;
  using ScreenFn = std::function<ScreenSize()>;

  AgentCharacter(ViewFactory makeView, ScreenFn screen);
  ~AgentCharacter();

  // Loads the character from `file` under `name`; false (and unavailable)
  // when the file is missing or not a valid character file.
  bool load(const std::string& name, const std::string& file);
  void unload();
  bool available() const { return view_ != nullptr; }
  const std::string& name() const { return name_; }

  // "Show", "ShowQuick", "HideQuick", "Hide", "Stop" or an animation name.
  void command(const std::string& command);

  // The figure's place on the screen; an empty box when unavailable.
  Box geometry() const;
  // Moves the figure (when there is one) to that place.
  void moveTo(int left, int top);
  int parkedLeft() const { return parkedLeft_; }

 private:
  void show();
  void stopLast();

  ViewFactory makeView_;
  ScreenFn screen_;
  std::unique_ptr<AgentView> view_;
  std::optional<AgentManifest> manifest_;
  std::string name_;
  int parkedLeft_ = 0;
  int lastRequest_ = 0;
};

// The animation of a message's picture kind: "agent.ini" [Commandes] <kind>,
// "Show" when missing. Read on every call.
std::string AnimationForPictureKind(const std::string& root, int kind);

}  // namespace krav::app
