// The primary screen's size, with a stand-in where there is no screen.
#pragma once

#include "app/kit/screen_size.h"

namespace krav::app {

ScreenSize PrimaryScreenSize();

}  // namespace krav::app
