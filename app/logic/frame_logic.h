// The logic of the main window's frame, kept apart from the widgets: the
// tab list from the page lists, the window placement from the stored
// values, the help file of each page and the About text.
#pragma once

#include <string>
#include <vector>

namespace krav::app {

enum Page { kPlannerPage = 0, kAccountingPage = 1, kTrashPage = 2, kSettingsPage = 3 };

struct Tab {
  std::string caption, id;
};
struct TabList {
  std::vector<Tab> tabs;
  int current = 1;            // numbered from 1
  bool stripVisible = false;  // two tabs or more
  // The page the current tab shows; the planner page without tabs.
  int page() const;
};

// `modulePages` is programs.ini [Tree] "Планировщик", `userPages` the same
// key of the user settings file (both ";"-separated, "null" by default).
// The module list's first item is the module's own entry and is skipped;
// each other item is caption "," identifier.
TabList BuildTabList(const std::string& modulePages, const std::string& userPages, const std::string& wanted);

// The page of a tab caption, or -1.
int PageOfCaption(const std::string& caption);

struct WindowPlacement {
  bool maximised = false;
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const WindowPlacement&) const = default;
};
// From [Voza] Left, Top, Width, Height and State and the window's current
// geometry: State 1 maximises; values of 0 or less are ignored; a window
// beyond the screen's right or bottom edge is pulled back to end there.
WindowPlacement RestorePlacement(int left, int top, int width, int height, int state,
                                 const WindowPlacement& current, int screenWidth, int screenHeight);

// "Mess1.htm" .. "Mess3.htm" for the planner, accounting and trash pages;
// empty for the settings page.
std::string HelpFileOfPage(int page);

// The About box's text (cp1251).
std::string AboutText(const std::string& version, const std::string& update);

}  // namespace krav::app
