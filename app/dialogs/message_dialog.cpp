#include "app/dialogs/message_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

#include "app/agent/agent_window.h"
#include "app/dialogs/message_pictures.h"
#include "app/kit/colours.h"
#include "app/kit/qt_text.h"
#include "app/kit/screen.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::app {
namespace {

TMdlg* g_instance = nullptr;

}  // namespace

std::string ButtonCaption(const std::string& text) { return text.substr(0, text.find('@')); }

TMdlg::TMdlg(const std::string& root, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      root_(root),
      agent_([](const AgentManifest& m) { return std::make_unique<AgentWindow>(m); }, PrimaryScreenSize) {
  setObjectName("Mdlg");
  setModal(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, colours::kPageBack);
  setPalette(pal);
  setAutoFillBackground(true);

  page_ = new QWidget(this);
  page_->setObjectName("Notebook1");
  caption_ = new QLabel(page_);
  caption_->setObjectName("Caption20002");
  caption_->setTextFormat(Qt::PlainText);
  caption_->setAutoFillBackground(true);
  QPalette band = caption_->palette();
  band.setColor(QPalette::Window, colours::kBandBlue);
  band.setColor(QPalette::WindowText, Qt::white);
  caption_->setPalette(band);
  QFont bold = caption_->font();
  bold.setBold(true);
  caption_->setFont(bold);
  caption_->setContentsMargins(4, 0, 4, 0);
  for (int i = 0; i < 4; ++i) {
    images_[i] = new QLabel(page_);
    images_[i]->setObjectName(QString("Image%1").arg(i + 1));
    images_[i]->setPixmap(MessagePicture(i + 1));
    images_[i]->setGeometry(4, 26, 30, 30);
    images_[i]->hide();
  }
  label2_ = new QLabel(page_);
  label2_->setObjectName("Label2");
  label2_->setTextFormat(Qt::PlainText);
  label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  edit1_ = new QLineEdit(page_);
  edit1_->setObjectName("Edit1");
  edit1_->hide();
  shape1_ = new QFrame(page_);
  shape1_->setObjectName("Shape1");
  shape1_->setFrameShape(QFrame::NoFrame);
  shape1_->setAutoFillBackground(true);
  QPalette grey = shape1_->palette();
  grey.setColor(QPalette::Window, colours::kShadowGrey);
  shape1_->setPalette(grey);
  for (int i = 0; i < 4; ++i) {
    buttons_[i] = new QPushButton(page_);
    buttons_[i]->setObjectName(QString("Button%1").arg(i + 1));
    buttons_[i]->setAutoDefault(false);
    buttons_[i]->hide();
    connect(buttons_[i], &QPushButton::clicked, this, [this, i] {
      reply_ = i + 1;
      accept();
    });
  }
  resize(442, 240);
  const ScreenSize screen = PrimaryScreenSize();
  move(QPoint(screen.width / 2, screen.height / 2) - rect().center());

  agent_.load("Krav2000", shell::AgentCharacterFile(root_));
  g_instance = this;
}

TMdlg::~TMdlg() {
  if (g_instance == this) g_instance = nullptr;
  agent_.unload();
}

TMdlg* TMdlg::instance() { return g_instance; }

std::string TMdlg::inputText() const { return ToCp1251(edit1_->text()); }

int TMdlg::shownPicture() const {
  for (int i = 0; i < 4; ++i)
    if (!images_[i]->isHidden()) return i + 1;
  return 0;
}

void TMdlg::layOut(const std::string& title, const std::string& text, const std::array<std::string, 4>& buttons,
                   bool input) {
  caption_->setText(FromCp1251(title));
  label2_->setText(FromCp1251(text));
  label2_->setWordWrap(false);
  label2_->setMinimumWidth(0);
  label2_->setMaximumWidth(QWIDGETSIZE_MAX);
  const QSize natural = label2_->sizeHint();
  QSize textSize = natural;
  if (WrapsText(natural.width())) {
    label2_->setWordWrap(true);
    textSize = QSize(kTextWrapWidth, label2_->heightForWidth(kTextWrapWidth));
  }
  label2_->setGeometry(45, 26, textSize.width(), textSize.height());

  VisibleButtons visible{};
  for (int i = 0; i < 4; ++i) {
    buttons_[i]->setText(FromCp1251(ButtonCaption(buttons[i])));
    visible[i] = !buttons[i].empty();
    buttons_[i]->setVisible(visible[i]);
  }
  DialogSize size = MessageDialogSize(textSize.width(), textSize.height(), visible, input);
  // Wide enough for the whole title on its band (the page is the dialog less
  // the margins on both sides).
  const int titleWidth = caption_->fontMetrics().horizontalAdvance(caption_->text()) + 8;
  size.width = std::max(size.width, titleWidth + 2 * kPageMargin);
  edit1_->setVisible(input);
  if (input) edit1_->setGeometry(45, 26 + textSize.height() + 4, textSize.width(), kInputHeight + 4);
  resize(size.width, size.height);
  for (QLabel* image : images_) image->hide();
}

int TMdlg::ShowMessageDialog(const std::string& title, const std::string& text, const std::string& button1,
                             int pictureKind, const std::string& button4, const std::string& button3,
                             const std::string& button2, int defaultButton) {
  if (isVisible()) return 0;
  reply_ = 0;
  agent_.command("ShowQuick");
  const bool input = pictureKind == 7;
  const int kind = input ? 2 : pictureKind;
  const std::array<std::string, 4> buttons{button1, button2, button3, button4};
  layOut(title, text, buttons, input);
  placeBesideAskingWindow();
  agent_.command(AnimationForPictureKind(root_, kind));
  if (const int picture = PictureOfKind(kind)) images_[picture - 1]->show();

  // Enter presses the default button, which has the focus (and shows it)
  // unless the input line takes the typing.
  std::array<std::string, 4> captions;
  for (int i = 0; i < 4; ++i) captions[i] = ButtonCaption(buttons[i]);
  default_ = DefaultButtonOf(captions, defaultButton, Ru("Да"));
  for (int i = 0; i < 4; ++i) buttons_[i]->setDefault(i + 1 == default_);
  if (input) edit1_->setFocus();
  else if (default_ > 0) buttons_[default_ - 1]->setFocus();
  exec();
  return reply_;
}

void TMdlg::placeBesideAskingWindow() {
  // The window that asked: the active one, else the dialog's parent.
  QWidget* asking = QApplication::activeWindow();
  if (asking == this || (asking && asking->inherits("krav::app::AgentWindow"))) asking = nullptr;
  if (!asking) asking = parentWidget() ? parentWidget()->window() : nullptr;
  QScreen* screen = asking ? asking->screen() : QGuiApplication::primaryScreen();
  const QRect a = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const Box area{a.left(), a.top(), a.width(), a.height()};
  const QRect w = asking ? asking->frameGeometry() : a;
  const Box window{w.left(), w.top(), w.width(), w.height()};
  if (agent_.available()) {
    // The character goes beside the window that asked; with none, it stays.
    if (asking) {
      const Box figure = agent_.geometry();
      const Point at = CharacterBesideWindow(window, figure.width, figure.height, area);
      agent_.moveTo(at.x, at.y);
    }
    Box character = agent_.geometry();
    character.left -= area.left;  // the placement counts from the area's corner
    character.top -= area.top;
    Placement p = PlaceAgainstCharacter(character, width(), height(), area.width);
    p.left += area.left;
    p.top += area.top;
    const Box kept = KeptInside({p.left, p.top, width(), height()}, area);
    pointer_ = kept.left == p.left && kept.top == p.top ? p.pointer : 0;
    move(kept.left, kept.top);
  } else {
    // Over the middle of the window that asked; with none, where it was.
    pointer_ = 0;
    const Box wanted = asking ? Box{window.left + (window.width - width()) / 2,
                                    window.top + (window.height - height()) / 2, width(), height()}
                              : Box{x(), y(), width(), height()};
    const Box kept = KeptInside(wanted, area);
    move(kept.left, kept.top);
  }
}

void TMdlg::arrangePage() {
  const PageLayout l = ArrangeMessagePage(width(), height());
  page_->setGeometry(l.page.left, l.page.top, l.page.width, l.page.height);
  auto local = [&](const Box& b) { return QRect(b.left - l.page.left, b.top - l.page.top, b.width, b.height); };
  caption_->setGeometry(0, 0, l.page.width, 20);
  shape1_->setGeometry(local(l.separator));
  for (int i = 0; i < 4; ++i) buttons_[i]->setGeometry(local(l.buttons[i]));
}

QPainterPath TMdlg::balloonPath() const {
  const int w = width(), h = height();
  QPainterPath path;
  path.addRoundedRect(QRectF(kBalloonInset, kBalloonInset, w - 2 * kBalloonInset, h - 2 * kBalloonInset),
                      kBalloonCorner / 2.0, kBalloonCorner / 2.0);
  if (HasPointer(pointer_)) {
    const auto t = PointerTriangle(pointer_, w, h);
    QPainterPath triangle;
    triangle.moveTo(t[0].x, t[0].y);
    triangle.lineTo(t[1].x, t[1].y);
    triangle.lineTo(t[2].x, t[2].y);
    triangle.closeSubpath();
    path = path.united(triangle);
  }
  return path;
}

void TMdlg::applyShape() { setMask(QRegion(balloonPath().toFillPolygon().toPolygon())); }

void TMdlg::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  arrangePage();
  applyShape();
}

void TMdlg::showEvent(QShowEvent* e) {
  arrangePage();
  applyShape();
  QDialog::showEvent(e);
}

void TMdlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(balloonPath().translated(-0.5, -0.5));
}

int ShowMessageDialog(const std::string& title, const std::string& text, const std::string& button1,
                      int pictureKind, const std::string& button4, const std::string& button3,
                      const std::string& button2) {
  TMdlg* dialog = TMdlg::instance();
  return dialog ? dialog->ShowMessageDialog(title, text, button1, pictureKind, button4, button3, button2) : 0;
}

}  // namespace krav::app
