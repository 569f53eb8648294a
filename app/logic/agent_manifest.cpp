#include "app/logic/agent_manifest.h"

#include <map>

#include "engine/text.h"
#include "platform/files.h"

namespace krav::app {
namespace {

const std::map<std::string, Motion>& Motions() {
  static const std::map<std::string, Motion> m = {
      {"appear", Motion::Appear},     {"wave", Motion::Wave},       {"nod", Motion::Nod},
      {"blink", Motion::Blink},       {"hop", Motion::Hop},         {"think", Motion::Think},
      {"surprise", Motion::Surprise}, {"explain", Motion::Explain}, {"sleep", Motion::Sleep}};
  return m;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ParseInt(std::string_view s, int& out) {
  if (s.empty() || s.size() > 6) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  out = v;
  return true;
}

}  // namespace

const AgentAnimation* AgentManifest::find(const std::string& animation) const {
  for (const auto& a : animations)
    if (a.name == animation) return &a;
  return nullptr;
}

std::optional<AgentManifest> ParseAgentManifest(const std::string& text) {
  AgentManifest m;
  bool header = false, bad = false;
  ForEachLine(text, [&](std::string_view raw) {
    if (bad) return;
    const std::string_view line = Trim(raw);
    if (!header) {
      header = line == "KRAV-AGENT 1";
      bad = !header;
      return;
    }
    if (line.empty() || line.front() == '#') return;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      bad = true;
      return;
    }
    const std::string_view key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
    if (key == "name") {
      m.name = std::string(value);
    } else if (key == "size") {
      const std::size_t x = value.find('x');
      bad = x == std::string_view::npos || !ParseInt(value.substr(0, x), m.width) ||
            !ParseInt(value.substr(x + 1), m.height);
    } else if (key == "animation") {
      std::vector<std::string> parts;
      for (std::string_view rest = value; !rest.empty();) {
        const std::size_t blank = rest.find(' ');
        if (blank != 0) parts.emplace_back(rest.substr(0, blank));
        if (blank == std::string_view::npos) break;
        rest.remove_prefix(blank + 1);
      }
      AgentAnimation a;
      const auto motion = parts.size() == 3 ? Motions().find(parts[1]) : Motions().end();
      if (motion == Motions().end() || !ParseInt(parts[2], a.durationMs) || a.durationMs < 100 ||
          a.durationMs > 60000) {
        bad = true;
        return;
      }
      a.name = parts[0];
      a.motion = motion->second;
      m.animations.push_back(a);
    }  // other keys are left for later versions of the format
  });
  if (bad || !header || m.width < 32 || m.width > 512 || m.height < 32 || m.height > 512 || !m.find("Show"))
    return std::nullopt;
  return m;
}

std::optional<AgentManifest> LoadAgentManifest(const std::string& path) {
  std::string bytes;
  if (!LoadBytes(path, bytes)) return std::nullopt;
  return ParseAgentManifest(bytes);
}

}  // namespace krav::app
