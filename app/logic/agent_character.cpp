#include "app/logic/agent_character.h"

#include "platform/files.h"
#include "platform/ini.h"
#include "shell/paths.h"
#include "shell/settings_keys.h"

namespace krav::app {

AgentCharacter::AgentCharacter(ViewFactory makeView, ScreenFn screen)
    : makeView_(std::move(makeView)), screen_(std::move(screen)) {}

AgentCharacter::~AgentCharacter() { unload(); }

bool AgentCharacter::load(const std::string& name, const std::string& file) {
  unload();
  try {
    if (!FileExists(file)) return false;
    manifest_ = LoadAgentManifest(file);
    if (!manifest_) return false;
    name_ = name;
    view_ = makeView_ ? makeView_(*manifest_) : nullptr;
    if (!view_) return false;
    // A fresh character waits in the bottom right corner.
    const ScreenSize s = screen_();
    const Box g = view_->figureGeometry();
    view_->moveFigure(s.width - g.width - 10, s.height - g.height - 10);
    return true;
  } catch (...) {
    view_.reset();
    return false;
  }
}

void AgentCharacter::unload() {
  try {
    view_.reset();
  } catch (...) {
  }
  manifest_.reset();
  lastRequest_ = 0;
}

Box AgentCharacter::geometry() const {
  if (!view_) return {};
  try {
    return view_->figureGeometry();
  } catch (...) {
    return {};
  }
}

void AgentCharacter::moveTo(int left, int top) {
  if (!view_) return;
  try {
    view_->moveFigure(left, top);
  } catch (...) {
    // The character's troubles are never the caller's.
  }
}

void AgentCharacter::show() {
  if (!view_->isShown()) view_->showFigure();
}

void AgentCharacter::stopLast() {
  if (lastRequest_ > 0) view_->stop(lastRequest_);
  lastRequest_ = 0;
}

void AgentCharacter::command(const std::string& command) {
  if (!view_ || command.empty()) return;
  try {
    const ScreenSize s = screen_();
    if (command == "Show") {
      show();
    } else if (command == "ShowQuick") {
      const Box g = view_->figureGeometry();
      if (g.left > s.width) {
        if (parkedLeft_ < s.width) view_->moveFigure(parkedLeft_, g.top);
        else view_->moveFigure(s.width - g.width - 10, s.height - g.height - 10);
      }
      show();
    } else if (command == "HideQuick") {
      const Box g = view_->figureGeometry();
      parkedLeft_ = g.left;
      view_->moveFigure(s.width + 10, g.top);
    } else if (command == "Hide") {
      if (view_->isShown()) view_->hideFigure();
    } else if (command == "Stop") {
      stopLast();
    } else {
      try {
        stopLast();
      } catch (...) {
      }
      const AgentAnimation* a = manifest_->find(command);
      lastRequest_ = a ? view_->play(*a) : 0;
    }
  } catch (...) {
    // The character's troubles are never the caller's.
  }
}

std::string AnimationForPictureKind(const std::string& root, int kind) {
  const std::string value =
      ReadIniString(shell::AgentSettingsFile(root), shell::kAgentCommandsSection, std::to_string(kind), "Show");
  return value.empty() ? "Show" : value;
}

}  // namespace krav::app
