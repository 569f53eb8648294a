#include "app/logic/report_display.h"

#include <optional>
#include <vector>

namespace krav::app {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// One attribute of a tag: its name, its value, and where it stands in the tag
// (from the blank before it to its end).
struct Attribute {
  std::string_view name, value;
  std::size_t from = 0, to = 0;
};

// The attribute of a tag's text ("<td width=...>") with that name.
std::optional<Attribute> Find(std::string_view tag, std::string_view name) {
  // Nothing reaches past the closing '>', not even a value whose quote is not closed.
  if (!tag.empty() && tag.back() == '>') tag.remove_suffix(1);
  std::size_t i = 1;
  while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>') ++i;  // the tag's name
  while (i < tag.size()) {
    const std::size_t from = i;
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    const std::size_t nameStart = i;
    while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/') ++i;
    if (i == nameStart) {
      if (i < tag.size()) ++i;
      continue;
    }
    Attribute a{tag.substr(nameStart, i - nameStart), {}, from, i};
    if (i < tag.size() && tag[i] == '=') {
      ++i;
      if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
        const char quote = tag[i++];
        const std::size_t valueStart = i;
        while (i < tag.size() && tag[i] != quote) ++i;
        a.value = tag.substr(valueStart, i - valueStart);
        if (i < tag.size()) ++i;
      } else {
        const std::size_t valueStart = i;
        while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>') ++i;
        a.value = tag.substr(valueStart, i - valueStart);
      }
      a.to = i;
    }
    if (SameWord(a.name, name)) return a;
  }
  return std::nullopt;
}

// One of the alignments a cell takes.
bool IsAlignment(std::string_view v) {
  return SameWord(v, "left") || SameWord(v, "center") || SameWord(v, "right") || SameWord(v, "justify");
}

// The name of a tag's text, "/tr" for a closing one; "<br/>" is "br".
std::string_view TagName(std::string_view tag) {
  std::size_t end = tag.size() > 1 && tag[1] == '/' ? 2 : 1;
  while (end < tag.size() && !IsSpace(tag[end]) && tag[end] != '>' && tag[end] != '/') ++end;
  return tag.substr(1, end - 1);
}

}  // namespace

std::string ReportHtmlForView(std::string_view html) {
  std::string out;
  out.reserve(html.size());
  // The alignment of the open row of each open table, innermost last.
  std::vector<std::string> rowAligns{std::string()};
  std::size_t i = 0;
  while (i < html.size()) {
    const std::size_t open = html.find('<', i);
    if (open == std::string_view::npos) break;
    const std::size_t close = html.find('>', open);
    if (close == std::string_view::npos) break;
    out.append(html, i, open - i);
    const std::string_view tag = html.substr(open, close - open + 1);
    i = close + 1;
    const std::string_view name = TagName(tag);
    if (SameWord(name, "table")) {
      rowAligns.emplace_back();
      std::string kept(tag);
      while (const auto height = Find(kept, "height")) {
        kept.erase(height->from, height->to - height->from);
        // What followed the value never joins the tag's name or another attribute.
        const char next = height->from < kept.size() ? kept[height->from] : '>';
        if (!IsSpace(next) && next != '>' && next != '/') kept.insert(height->from, 1, ' ');
      }
      out += kept;
      continue;
    } else if (SameWord(name, "/table")) {
      if (rowAligns.size() > 1) rowAligns.pop_back();
    } else if (SameWord(name, "tr")) {
      const auto align = Find(tag, "align");
      rowAligns.back() = align && IsAlignment(align->value) ? std::string(align->value) : std::string();
    } else if (SameWord(name, "/tr")) {
      rowAligns.back().clear();
    } else if ((SameWord(name, "td") || SameWord(name, "th")) && !rowAligns.back().empty() &&
               !Find(tag, "align")) {
      out.append(tag, 0, 1 + name.size());
      out += " align=\"" + rowAligns.back() + "\"";
      out.append(tag, 1 + name.size());
      continue;
    }
    out.append(tag);
  }
  out.append(html, i);
  return out;
}

}  // namespace krav::app
