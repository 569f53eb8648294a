#include <gtest/gtest.h>

#include "app/logic/message_layout.h"

namespace krav::app {
namespace {

constexpr VisibleButtons kOnly4{false, false, false, true};
constexpr VisibleButtons kAll{true, true, true, true};
constexpr VisibleButtons kNone{false, false, false, false};

TEST(MessageDialogSize, ButtonRowCountsFromTheLeftmostVisibleButton) {
  EXPECT_EQ(ButtonRowWidth(kNone), 0);
  EXPECT_EQ(ButtonRowWidth(kOnly4), 75);
  EXPECT_EQ(ButtonRowWidth({false, false, true, true}), 150);
  // A hidden button between visible ones still takes its place.
  EXPECT_EQ(ButtonRowWidth({false, true, false, true}), 225);
  EXPECT_EQ(ButtonRowWidth(kAll), 300);
  EXPECT_EQ(ButtonRowWidth({true, false, false, false}), 300);
}

TEST(MessageDialogSize, WideTextsWrapAt280) {
  EXPECT_FALSE(WrapsText(280));
  EXPECT_TRUE(WrapsText(281));
  const DialogSize wrapped = MessageDialogSize(300, 45, kOnly4, false);
  EXPECT_TRUE(wrapped.wrap);
  EXPECT_EQ(wrapped.textWidth, 280);
  EXPECT_EQ(wrapped.width, 415);
  EXPECT_EQ(wrapped.height, 45 + 145);
  // Four buttons need 300 pixels, more than the wrapped text.
  EXPECT_EQ(MessageDialogSize(300, 45, kAll, false).width, 435);
}

TEST(MessageDialogSize, ANarrowNoticeAndTheMinimumHeight) {
  const DialogSize notice = MessageDialogSize(60, 15, kOnly4, false);
  EXPECT_EQ(notice.width, 210);
  EXPECT_EQ(notice.height, 180);
  EXPECT_EQ(MessageDialogSize(60, 30, kOnly4, false).height, 180);
  EXPECT_EQ(MessageDialogSize(60, 31, kOnly4, false).height, 180);  // 31 + 145 = 176 is raised to 180
  EXPECT_EQ(MessageDialogSize(60, 40, kOnly4, false).height, 185);
  // The input line adds 18, also to the minimum height.
  EXPECT_EQ(MessageDialogSize(60, 15, kOnly4, true).height, 198);
  EXPECT_EQ(MessageDialogSize(60, 60, kOnly4, true).height, 60 + 145 + 18);
  EXPECT_EQ(MessageDialogSize(0, 0, kNone, false).width, 135);
}

TEST(MessageDialogPlacement, PointerCodesAndPositions) {
  const int screen = 1024;
  // Room to the right and above: left-aligned above the character.
  Placement p = PlaceAgainstCharacter({100, 500, 110, 150}, 300, 200, screen);
  EXPECT_EQ(p, (Placement{11, 100, 300}));
  // Near the top: the dialog opens below the character.
  p = PlaceAgainstCharacter({100, 50, 110, 150}, 300, 200, screen);
  EXPECT_EQ(p, (Placement{21, 100, 200}));
  // Near the right edge: right-aligned with the character.
  p = PlaceAgainstCharacter({900, 500, 110, 150}, 300, 200, screen);
  EXPECT_EQ(p, (Placement{13, 900 + 110 - 300, 300}));
  p = PlaceAgainstCharacter({900, 10, 110, 150}, 300, 200, screen);
  EXPECT_EQ(p.pointer, 23);
  EXPECT_EQ(p.top, 160);
  // In between: centred on the character, rounded to the nearest pixel.
  p = PlaceAgainstCharacter({800, 500, 111, 150}, 300, 200, screen);
  EXPECT_EQ(p.pointer, 12);
  EXPECT_EQ(p.left, 706);  // 800 + 55.5 - 150 = 705.5
  // X + W/2 + Dw/2 exactly at the screen width is "no room": right-aligned.
  EXPECT_EQ(PlaceAgainstCharacter({818, 500, 110, 150}, 300, 200, screen).pointer, 12);
  EXPECT_EQ(PlaceAgainstCharacter({819, 500, 110, 150}, 300, 200, screen).pointer, 13);
  // Exactly enough room above: Y - Dh = 0 is not below 0.
  EXPECT_EQ(PlaceAgainstCharacter({100, 200, 110, 150}, 300, 200, screen).pointer, 11);
}

TEST(MessageDialogBalloon, PointerTriangles) {
  EXPECT_FALSE(HasPointer(0));
  EXPECT_TRUE(HasPointer(13));
  EXPECT_FALSE(HasPointer(14));
  using T = std::array<Point, 3>;
  EXPECT_EQ(PointerTriangle(11, 415, 190), (T{{{70, 158}, {70, 190}, {90, 158}}}));
  EXPECT_EQ(PointerTriangle(12, 415, 190), (T{{{208, 158}, {208, 190}, {228, 158}}}));
  EXPECT_EQ(PointerTriangle(13, 415, 190), (T{{{325, 158}, {345, 190}, {345, 158}}}));
  EXPECT_EQ(PointerTriangle(22, 210, 180), (T{{{105, 30}, {105, 0}, {125, 30}}}));
  EXPECT_EQ(PointerTriangle(23, 210, 180), (T{{{120, 30}, {140, 0}, {140, 30}}}));
}

TEST(MessageDialogPage, ButtonsStandRightToLeftAtTheBottom) {
  const PageLayout l = ArrangeMessagePage(415, 190);
  EXPECT_EQ(l.page, (Box{40, 40, 335, 110}));
  EXPECT_EQ(l.buttons[3], (Box{40 + 335 - 75, 150 - 25, 75, 25}));
  EXPECT_EQ(l.buttons[2].left, l.buttons[3].left - 76);
  EXPECT_EQ(l.buttons[0].left, l.buttons[3].left - 3 * 76);
  EXPECT_EQ(l.separator, (Box{40, 150 - 25 - 6, 335, 1}));
}

}  // namespace
}  // namespace krav::app
