#include "app/logic/message_layout.h"

#include <algorithm>
#include <cmath>

namespace krav::app {

int ButtonRowWidth(const VisibleButtons& visible) {
  // Button1 stands fourth from the right, Button4 first.
  for (int b = 0; b < 4; ++b)
    if (visible[b]) return kButtonWidth * (4 - b);
  return 0;
}

bool WrapsText(int naturalWidth) { return naturalWidth > kTextWrapWidth; }

DialogSize MessageDialogSize(int textWidth, int textHeight, const VisibleButtons& visible, bool inputShown) {
  DialogSize s;
  s.wrap = WrapsText(textWidth);
  s.textWidth = s.wrap ? kTextWrapWidth : textWidth;
  s.width = std::max(s.textWidth, ButtonRowWidth(visible)) + 135;
  s.height = textHeight < 31 ? kMinDialogHeight : textHeight + 145;
  if (inputShown) s.height += kInputHeight;
  s.height = std::max(s.height, kMinDialogHeight);
  return s;
}

namespace {
int Half(int v) { return static_cast<int>(std::lround(v / 2.0)); }
}  // namespace

Placement PlaceAgainstCharacter(const Box& c, int dw, int dh, int screenWidth) {
  int horizontal;
  if (c.left + dw < screenWidth) horizontal = 1;
  else if (c.left + c.width / 2.0 + dw / 2.0 >= screenWidth) horizontal = 3;
  else horizontal = 2;
  const int vertical = c.top - dh < 0 ? 20 : 10;
  Placement p;
  p.pointer = horizontal + vertical;
  switch (horizontal) {
    case 1: p.left = c.left; break;
    case 2: p.left = static_cast<int>(std::lround(c.left + c.width / 2.0 - dw / 2.0)); break;
    default: p.left = c.left + c.width - dw; break;
  }
  p.top = vertical == 20 ? c.top + c.height : c.top - dh;
  return p;
}

Point CharacterBesideWindow(const Box& w, int fw, int fh, const Box& area) {
  const int gap = 8;
  Point p;
  p.x = w.left + w.width + gap;
  if (p.x + fw > area.left + area.width) p.x = w.left - gap - fw;
  p.y = w.top + w.height - fh;
  const Box kept = KeptInside({p.x, p.y, fw, fh}, area);
  return {kept.left, kept.top};
}

Box KeptInside(const Box& b, const Box& area) {
  Box k = b;
  if (k.left + k.width > area.left + area.width) k.left = area.left + area.width - k.width;
  if (k.top + k.height > area.top + area.height) k.top = area.top + area.height - k.height;
  if (k.left < area.left) k.left = area.left;
  if (k.top < area.top) k.top = area.top;
  return k;
}

int DefaultButtonOf(const std::array<std::string, 4>& captions, int callersChoice, const std::string& yes) {
  if (callersChoice >= 1 && callersChoice <= 4 && !captions[callersChoice - 1].empty()) return callersChoice;
  int visible = 0, single = 0, yesAt = 0;
  for (int i = 0; i < 4; ++i) {
    if (captions[i].empty()) continue;
    ++visible;
    single = i + 1;
    if (captions[i] == yes) yesAt = i + 1;
  }
  if (visible == 1) return single;
  return yesAt;
}

bool HasPointer(int pointer) { return (pointer >= 11 && pointer <= 13) || (pointer >= 21 && pointer <= 23); }

std::array<Point, 3> PointerTriangle(int pointer, int w, int h) {
  const int m = Half(w);
  switch (pointer) {
    case 11: return {{{70, h - 32}, {70, h}, {90, h - 32}}};
    case 12: return {{{m, h - 32}, {m, h}, {m + 20, h - 32}}};
    case 13: return {{{w - 90, h - 32}, {w - 70, h}, {w - 70, h - 32}}};
    case 21: return {{{70, 30}, {70, 0}, {90, 30}}};
    case 22: return {{{m, 30}, {m, 0}, {m + 20, 30}}};
    case 23: return {{{w - 90, 30}, {w - 70, 0}, {w - 70, 30}}};
    default: return {};
  }
}

PageLayout ArrangeMessagePage(int w, int h) {
  PageLayout l;
  l.page = {kPageMargin, kPageMargin, w - 2 * kPageMargin, h - 2 * kPageMargin};
  const int bottom = l.page.top + l.page.height;
  int right = l.page.left + l.page.width;
  for (int b = 3; b >= 0; --b) {
    l.buttons[b] = {right - kButtonWidth, bottom - kButtonHeight, kButtonWidth, kButtonHeight};
    right -= kButtonWidth + 1;
  }
  l.separator = {l.page.left, bottom - kButtonHeight - 5 - 1, l.page.width, 1};
  return l;
}

}  // namespace krav::app
