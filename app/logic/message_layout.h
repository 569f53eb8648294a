// The geometry of the message dialog: its size from the measured text and
// the visible buttons, its place against the agent character, the layout
// of the message page and the balloon's pointer. Pure functions of numbers,
// so they are tested without a screen.
#pragma once

#include <array>
#include <string>

#include "app/kit/screen_size.h"

namespace krav::app {

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Box&) const = default;
};
struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

constexpr int kTextWrapWidth = 280;  // wider texts are word-wrapped at this width
constexpr int kButtonWidth = 75, kButtonHeight = 25;
constexpr int kMinDialogHeight = 180;
constexpr int kInputHeight = 18;
constexpr int kPageMargin = 40;     // the page area starts this far from the left and top
constexpr int kBalloonInset = 30;   // the balloon's rounded rectangle starts here
constexpr int kBalloonCorner = 20;  // the size of its corner ellipses

// Buttons are numbered 1 to 4 as Button1 to Button4; Button4 is rightmost.
using VisibleButtons = std::array<bool, 4>;

// 75 times the position from the right of the leftmost visible button.
int ButtonRowWidth(const VisibleButtons& visible);

struct DialogSize {
  int width = 0, height = 0;
  int textWidth = 0;  // the label's width: the natural width, or the wrap width
  bool wrap = false;  // the label wraps at kTextWrapWidth
  bool operator==(const DialogSize&) const = default;
};
// Whether a text of this natural one-line width is wrapped.
bool WrapsText(int naturalWidth);
// The dialog's size from the label's final size (after wrapping) and the buttons.
DialogSize MessageDialogSize(int textWidth, int textHeight, const VisibleButtons& visible, bool inputShown);

// Where the balloon's pointer is: 0 none; 11-13 above the character (pointer
// at the bottom edge, left/middle/right); 21-23 below it (at the top edge).
struct Placement {
  int pointer = 0;
  int left = 0, top = 0;
  bool operator==(const Placement&) const = default;
};
Placement PlaceAgainstCharacter(const Box& character, int dialogWidth, int dialogHeight, int screenWidth);

// Where the character stands to speak about a window: beside its right edge
// (its left when there is no room), level with the window's lower part, and
// always inside `area` (the work area of the window's screen).
Point CharacterBesideWindow(const Box& window, int figureWidth, int figureHeight, const Box& area);
// A box moved (not resized) so that it lies inside `area` as far as it fits.
Box KeptInside(const Box& box, const Box& area);

// The button Enter presses: the caller's choice when given (1-4), else the
// single button of a notice, else "Да"; 0 for none. `captions` are the
// buttons' captions (empty: hidden).
int DefaultButtonOf(const std::array<std::string, 4>& captions, int callersChoice, const std::string& yes);

// The balloon's pointer triangle for a pointer position (empty for 0).
std::array<Point, 3> PointerTriangle(int pointer, int width, int height);
bool HasPointer(int pointer);

// The controls of the message page, in dialog coordinates.
struct PageLayout {
  Box page;                    // the page area
  Box separator;               // the grey line above the buttons
  std::array<Box, 4> buttons;  // Button1 .. Button4
};
PageLayout ArrangeMessagePage(int dialogWidth, int dialogHeight);

}  // namespace krav::app
