// The trash button's picture: a bin with a lid, drawn here so that it never
// depends on a font having the symbol.
#pragma once

#include <QIcon>

namespace krav::app {

QIcon TrashBinIcon();

}  // namespace krav::app
