// The size of a screen in pixels: a plain value the windows' logic and the
// kit share, so that neither needs the other's library.
#pragma once

namespace krav::app {

struct ScreenSize {
  int width = 0, height = 0;
};

}  // namespace krav::app
