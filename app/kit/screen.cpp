#include "app/kit/screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace krav::app {

ScreenSize PrimaryScreenSize() {
  const QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return {1024, 768};
  return {s->geometry().width(), s->geometry().height()};
}

}  // namespace krav::app
