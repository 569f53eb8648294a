// The four 30 by 30 pictures of the message dialog: 1 information,
// 2 question, 3 exclamation, 4 the program's emblem.
#pragma once

#include <QPixmap>

namespace krav::app {

QPixmap MessagePicture(int image);

// The picture a picture kind shows (1-4), 0 for an unknown kind.
int PictureOfKind(int kind);

}  // namespace krav::app
