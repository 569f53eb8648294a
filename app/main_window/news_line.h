// The news line of the title strip: one line of white text on orange,
// moving 3 pixels to the left every 100 milliseconds and starting again at
// the right edge once it has left on the left. Dragging it scrolls the text.
#pragma once

#include <QTimer>
#include <QWidget>

namespace krav::app {

class NewsLine : public QWidget {
  Q_OBJECT
 public:
  explicit NewsLine(QWidget* parent);
  // Setting the text places it at the right edge.
  void setNewsText(const QString& text);
  QString newsText() const { return text_; }
  int offset() const { return offset_; }
  void setOffset(int offset);
  void step();  // one 100-millisecond move

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  QString text_;
  int offset_ = 0;  // the text's left edge, in pixels from the line's left
  bool atRightEdge_ = true;
  QTimer timer_;
  int dragX_ = -1;
};

}  // namespace krav::app
