// The frame every page of the main window shares: a header with the page's
// caption, a status text and its tool buttons (22 pixels wide, in a row at
// the right), and a body that shows an empty-state text until the page's
// content is built.
#pragma once

#include <QIcon>
#include <QLabel>
#include <QWidget>
#include <functional>
#include <vector>

class QToolButton;
class QStackedLayout;
class QHBoxLayout;

namespace krav::app {

class ElidingLabel;

class PageHeader : public QWidget {
  Q_OBJECT
 public:
  PageHeader(const QString& caption, QWidget* parent);
  QString caption() const;
  void setStatus(const QString& text);
  QString status() const;
  // Adds a tool button at the left end of the row; `gap` pixels to its right.
  QToolButton* addTool(const char* name, const QString& symbol, const QString& hint, int gap = 0);
  // The same with a picture of our own, for a symbol the fonts may lack.
  QToolButton* addTool(const char* name, const QIcon& picture, const QString& hint, int gap = 0);
  QToolButton* tool(const char* name) const;

 private:
  ElidingLabel* caption_;
  ElidingLabel* status_;
  QHBoxLayout* tools_;
};

class PageFrame : public QWidget {
  Q_OBJECT
 public:
  PageFrame(const char* headerName, const QString& caption, const QString& emptyText, QWidget* parent);
  PageHeader* header() const { return header_; }
  // Shows the content, or the empty-state text when there is none.
  void setContent(QWidget* content);
  // A bar between the header and the body, shown whether or not the body is empty.
  void setTopBar(QWidget* bar);
  void showEmpty(bool empty);
  bool showsEmpty() const;
  QString emptyText() const { return empty_->text(); }
  // Rebuilds the page's view; pages set what it does.
  void rebuild();
  void setRebuild(std::function<void()> f) { rebuild_ = std::move(f); }
  int rebuilds() const { return rebuilds_; }

 private:
  PageHeader* header_;
  QLabel* empty_;
  QWidget* content_ = nullptr;
  QStackedLayout* body_;
  std::function<void()> rebuild_;
  int rebuilds_ = 0;
};

}  // namespace krav::app
