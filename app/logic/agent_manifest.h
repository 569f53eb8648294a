// The character file "agent.acs": a text manifest of our own.
//
//   KRAV-AGENT 1
//   name=Филин
//   size=96x112
//   animation=Show appear 900
//   animation=Greet wave 1400
//
// The first line identifies the format; "animation" lines give the name a
// caller plays, the motion the figure makes and its length in milliseconds.
// Lines starting with "#" and blank lines are ignored. Texts are cp1251.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace krav::app {

// The movements the figure can make.
enum class Motion { Appear, Wave, Nod, Blink, Hop, Think, Surprise, Explain, Sleep };

struct AgentAnimation {
  std::string name;
  Motion motion = Motion::Blink;
  int durationMs = 1000;
};

struct AgentManifest {
  std::string name;
  int width = 0, height = 0;
  std::vector<AgentAnimation> animations;
  const AgentAnimation* find(const std::string& animation) const;
};

// The manifest, or nothing when the text is not a valid character file
// (wrong first line, size outside 32..512, no "Show" animation, an unknown
// motion or a bad line).
std::optional<AgentManifest> ParseAgentManifest(const std::string& text);
std::optional<AgentManifest> LoadAgentManifest(const std::string& path);

}  // namespace krav::app
