#include "app/logic/frame_logic.h"

#include "engine/text.h"
#include "platform/encoding.h"

namespace krav::app {
namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> out;
  SplitByChar(text, out, sep);
  return out;
}

}  // namespace

int TabList::page() const {
  if (tabs.empty()) return kPlannerPage;
  return PageOfCaption(tabs.at(current - 1).caption);
}

TabList BuildTabList(const std::string& modulePages, const std::string& userPages, const std::string& wanted) {
  TabList list;
  const std::vector<std::string> module = Split(modulePages, ';');
  const std::vector<std::string> user = Split(userPages, ';');
  const bool filtered = !user.empty() && user.front() != "null";
  for (std::size_t i = 1; i < module.size(); ++i) {
    const std::string caption = GetField(module[i], ',', 1), id = GetField(module[i], ',', 2);
    if (filtered) {
      bool named = false;
      for (const auto& u : user) named = named || LowerText(u) == LowerText(id);
      if (!named) continue;
    }
    list.tabs.push_back({caption, id});
    if (id == wanted && !wanted.empty()) list.current = static_cast<int>(list.tabs.size());
  }
  list.stripVisible = list.tabs.size() >= 2;
  return list;
}

int PageOfCaption(const std::string& caption) {
  if (caption == Ru("Основная")) return kPlannerPage;
  if (caption == Ru("Бухгалтерия")) return kAccountingPage;
  if (caption == Ru("Корзина")) return kTrashPage;
  if (caption == Ru("Настройка")) return kSettingsPage;
  return -1;
}

WindowPlacement RestorePlacement(int left, int top, int width, int height, int state,
                                 const WindowPlacement& current, int screenWidth, int screenHeight) {
  WindowPlacement p = current;
  if (state == 1) {
    p.maximised = true;
    return p;
  }
  p.maximised = false;
  if (left > 0) p.left = left;
  if (top > 0) p.top = top;
  if (width > 0) p.width = width;
  if (height > 0) p.height = height;
  if (p.left >= screenWidth) p.left = screenWidth - p.width;
  if (p.top >= screenHeight) p.top = screenHeight - p.height;
  return p;
}

std::string HelpFileOfPage(int page) {
  switch (page) {
    case kPlannerPage: return "Mess1.htm";
    case kAccountingPage: return "Mess2.htm";
    case kTrashPage: return "Mess3.htm";
    default: return {};
  }
}

std::string AboutText(const std::string& version, const std::string& update) {
  return Ru("Для Кравитора 2000 ") + version + "\r\n" + Ru("Модификация : ") + update;
}

}  // namespace krav::app
