// The program's named colours, in one place.
#pragma once

#include <QColor>

namespace krav::app::colours {

inline const QColor kTitleBlue{0x00, 0x00, 0xBB};     // the title strip
inline const QColor kBandBlue{0x00, 0x00, 0xA0};      // the band under the news line, captions, tab texts
inline const QColor kTitleHover{0x33, 0x33, 0xDD};    // a title-strip button under the pointer
inline const QColor kTitlePressed{0x00, 0x00, 0x70};  // a title-strip button held down
inline const QColor kPageBack{0xDF, 0xEF, 0xFF};      // page headers and the message balloon
inline const QColor kNewsBack{0xFF, 0x97, 0x2F};      // the news line
inline const QColor kShadowGrey{0x80, 0x80, 0x80};    // the balloon's pointer edge
inline const QColor kCalendarToday{0x00, 0x00, 0xCE};
inline const QColor kNeighbourDay{0xDC, 0xDC, 0xDC};  // days of the months around the shown one
inline const QColor kErrorText{0xA0, 0x00, 0x00};

// "#rrggbb" for style sheets.
inline QString Css(const QColor& c) { return c.name(QColor::HexRgb); }

}  // namespace krav::app::colours
