#include "app/frame/page_frame.h"

#include "app/frame/eliding_label.h"
#include "app/kit/colours.h"

#include <QHBoxLayout>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace krav::app {

PageHeader::PageHeader(const QString& caption, QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, colours::kPageBack);
  pal.setColor(QPalette::WindowText, colours::kBandBlue);
  setPalette(pal);
  setFixedHeight(30);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(8, 2, 2, 2);
  row->setSpacing(0);
  // In a narrow window the status gives way first, then the caption; both
  // are cut with "…" and show their whole text as a tooltip, never overlap.
  caption_ = new ElidingLabel(caption, this);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  caption_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  status_ = new ElidingLabel(QString(), this);
  status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(caption_, 0);
  row->addSpacing(8);
  row->addWidget(status_, 1);
  row->addSpacing(5);  // the status text ends 5 pixels left of the tools
  tools_ = new QHBoxLayout;
  tools_->setSpacing(0);
  row->addLayout(tools_);
}

QString PageHeader::caption() const { return caption_->text(); }
void PageHeader::setStatus(const QString& text) { status_->setText(text); }
QString PageHeader::status() const { return status_->text(); }

QToolButton* PageHeader::addTool(const char* name, const QString& symbol, const QString& hint, int gap) {
  auto* b = new QToolButton(this);
  b->setObjectName(name);
  b->setText(symbol);
  b->setToolTip(hint);
  b->setAccessibleName(hint);  // what a screen reader says of a symbol
  b->setAutoRaise(true);
  // Tab reaches the tools; the one with the focus is framed.
  b->setFocusPolicy(Qt::TabFocus);
  b->setStyleSheet("QToolButton:focus { border: 1px solid " + colours::Css(colours::kBandBlue) +
                   "; border-radius: 3px; }");
  b->setFixedSize(22, 22);
  if (gap > 0) tools_->insertSpacing(0, gap);
  tools_->insertWidget(0, b);
  return b;
}

QToolButton* PageHeader::addTool(const char* name, const QIcon& picture, const QString& hint, int gap) {
  QToolButton* b = addTool(name, QString(), hint, gap);
  b->setIcon(picture);
  b->setIconSize(QSize(16, 16));
  return b;
}

QToolButton* PageHeader::tool(const char* name) const { return findChild<QToolButton*>(name); }

PageFrame::PageFrame(const char* headerName, const QString& caption, const QString& emptyText, QWidget* parent)
    : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  header_ = new PageHeader(caption, this);
  header_->setObjectName(headerName);
  layout->addWidget(header_);
  body_ = new QStackedLayout;
  empty_ = new QLabel(emptyText, this);
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setEnabled(false);
  body_->addWidget(empty_);
  layout->addLayout(body_, 1);
}

void PageFrame::setContent(QWidget* content) {
  if (content_) body_->removeWidget(content_);
  content_ = content;
  body_->addWidget(content_);
  showEmpty(false);
}

void PageFrame::setTopBar(QWidget* bar) {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->insertWidget(1, bar);
}

void PageFrame::showEmpty(bool empty) { body_->setCurrentWidget(empty || !content_ ? empty_ : content_); }

bool PageFrame::showsEmpty() const { return body_->currentWidget() == empty_; }

void PageFrame::rebuild() {
  ++rebuilds_;
  if (rebuild_) rebuild_();
}

}  // namespace krav::app
