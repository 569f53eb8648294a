// A one-line label that gives way when its row is narrow: it shrinks below
// its text, draws the text cut with "…", and then shows the whole text as
// its tooltip. text() is always the whole text.
#pragma once

#include <QLabel>

namespace krav::app {

class ElidingLabel : public QLabel {
  Q_OBJECT
 public:
  explicit ElidingLabel(const QString& text, QWidget* parent = nullptr);
  void setText(const QString& text);
  bool isCut() const;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void updateTip();
};

}  // namespace krav::app
