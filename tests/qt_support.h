// The Qt application of widget tests, offscreen unless told otherwise, and
// the folder for pictures a person can look at (SCREENSHOT_DIR).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <cstdlib>

namespace krav::test {

inline QApplication& TestApp() {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  // Destroyed when the tests end, before the exit handlers run, so that no
  // Qt object outlives it.
  struct Owner : ::testing::Environment {
    QApplication* app = nullptr;
    void TearDown() override {
      delete app;
      app = nullptr;
    }
  };
  static Owner* owner = [] {
    auto* o = new Owner;
    o->app = new QApplication(argc, argv);
    ::testing::AddGlobalTestEnvironment(o);
    return o;
  }();
  return *owner->app;
}

// Types a text into a widget key by key, letters of any script included
// (QTest::keyClicks takes only ASCII).
inline void TypeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
  }
}

// Saves a picture as SCREENSHOT_DIR/<name>.png when that variable is set.
inline void SaveScreenshot(const QImage& image, const QString& name) {
  const char* dir = std::getenv("SCREENSHOT_DIR");
  if (!dir || !*dir) return;
  QDir().mkpath(dir);
  image.save(QString(dir) + "/" + name + ".png");
}

}  // namespace krav::test
