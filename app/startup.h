// The start of the program mess: one copy at a time; a second copy hands
// over to the first and ends without a window.
#pragma once

#include <memory>
#include <string>

#include "app/kit/translations.h"
#include "platform/instance.h"

namespace krav::app {

// Takes the named mutex "KravMess". When another copy holds it, asks that
// copy's window (found by its caption) to come to the front and returns
// null: this copy must end.
std::unique_ptr<NamedMutex> TakeSingleInstance();

// Runs the program on a root directory; `page` is the wanted page
// identifier of the command line. Needs a QApplication.
int RunMess(const std::string& root, const std::string& page);

}  // namespace krav::app
