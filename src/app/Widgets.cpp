#include "app/Widgets.h"

#include "app/Skin.h"

#include <QEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextLayout>
#include <QToolButton>

#include <cmath>
#include <limits>

// ---- TLabel -------------------------------------------------------------------------------------------

TLabel::TLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(false);
  setMargin(0);
  setIndent(0);
  SetCaption(caption);
}

void TLabel::SetCaption(const QString& caption) {
  setText(caption);
  AdjustToText();
}

void TLabel::SetOpaque(const QColor& fill) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, fill);
  setPalette(pal);
  setAutoFillBackground(true);
}

QSize TLabel::TextExtent() const {
  // Measured as the painter lays the caption out. A character the font lacks comes from a fallback font,
  // which may be taller (the baseline moves down, so the font's own height cuts the descenders) and may
  // advance otherwise than the font's metrics say. The width is rounded as the font's metrics round it.
  QTextLayout layout(text(), font());
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(std::numeric_limits<int>::max() / 256);
  layout.endLayout();
  return {qRound(line.naturalTextWidth()), static_cast<int>(std::ceil(line.height()))};
}

void TLabel::AdjustToText() {
  resize(TextExtent());
}

void TLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) AdjustToText();
}

// ---- TImage -------------------------------------------------------------------------------------------

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  Rebuild();
}

void TImage::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Rebuild();
}

void TImage::Rebuild() {
  shown_ = picture_;
  if (transparent_ && !picture_.isNull()) {
    // The picture's bottom-left pixel names the colour that is left unpainted.
    const QImage image = picture_.toImage();
    const QColor key = image.pixelColor(0, image.height() - 1);
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < masked.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
      for (int x = 0; x < masked.width(); ++x)
        if ((line[x] & 0xFFFFFF) == (key.rgb() & 0xFFFFFF)) line[x] = 0;
    }
    shown_ = QPixmap::fromImage(masked);
  }
  update();
}

void TImage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, shown_);
}

// ---- TBevel -------------------------------------------------------------------------------------------

TBevel::TBevel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TBevel::paintEvent(QPaintEvent*) {
  // A lowered line: shadow above, light below, on the last two rows.
  QPainter p(this);
  const int w = width();
  const int y = height() - 2;
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(0, y, w - 1, y);
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(0, y + 1, w - 1, y + 1);
}

// ---- TTabSheet ----------------------------------------------------------------------------------------

TTabSheet::TTabSheet(QWidget* parent) : QWidget(parent) {}

void TTabSheet::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), ContentColor());
}

// ---- TPageControl -------------------------------------------------------------------------------------

TPageControl::TPageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QTabBar(this)), stack_(new QStackedWidget(this)), blank_(new QWidget) {
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->setUsesScrollButtons(false);
  tabs_->setElideMode(Qt::ElideNone);
  stack_->addWidget(blank_);
  setFocusPolicy(Qt::TabFocus);
  setFocusProxy(tabs_);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0 && index != active_) SetActivePageIndex(index);
  });
  Arrange();
}

TTabSheet* TPageControl::AddPage(const QString& name, const QString& caption) {
  auto* page = new TTabSheet(stack_);
  page->setObjectName(name);
  page->SetCaption(caption);
  page->installEventFilter(this);
  stack_->addWidget(page);
  pages_.append(page);
  {
    const QSignalBlocker block(tabs_);
    tabs_->addTab(caption);
  }
  if (active_ < 0) SetActivePageIndex(0);
  return page;
}

int TPageControl::PageCount() const {
  return static_cast<int>(pages_.size());
}

TTabSheet* TPageControl::Page(int index) const {
  return index >= 0 && index < pages_.size() ? pages_[index] : nullptr;
}

void TPageControl::SetActivePageIndex(int index) {
  const int next = Page(index) ? index : -1;
  if (next >= 0) {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(next);
    stack_->setCurrentWidget(pages_[next]);
  } else {
    stack_->setCurrentWidget(blank_);
  }
  if (next != active_) {
    active_ = next;
    emit ActivePageChanged(active_);
  }
}

void TPageControl::NameScrollButtons() {
  // QTabBar names its scroll buttons once, when it is made, in the language of that moment; a language
  // chosen later (a pack's QtLocale) would never reach them. They are named again on every change.
  const struct {
    const char* objectName;
    const char* text;
  } buttons[] = {{"ScrollLeftButton", QT_TRANSLATE_NOOP("QTabBar", "Scroll Left")},
                 {"ScrollRightButton", QT_TRANSLATE_NOOP("QTabBar", "Scroll Right")}};
  for (const auto& b : buttons)
    if (auto* button =
            tabs_->findChild<QToolButton*>(QLatin1String(b.objectName), Qt::FindDirectChildrenOnly))
      button->setAccessibleName(QTabBar::tr(b.text));
}

void TPageControl::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) NameScrollButtons();
}

bool TPageControl::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange) {
    const int index = static_cast<int>(pages_.indexOf(static_cast<TTabSheet*>(watched)));
    if (index >= 0) tabs_->setTabText(index, pages_[index]->windowTitle());
  }
  return QWidget::eventFilter(watched, event);
}

void TPageControl::Arrange() {
  // The selected tab reaches one row further down than the others and covers the pane's top border.
  tabs_->setGeometry(0, 0, width(), kTabHeight + 1);
  stack_->setGeometry(kPageLeft, kPageTop, width() - 2 * kPageLeft, height() - kPageTop - kPageLeft);
  tabs_->raise();
}

void TPageControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Arrange();
}

void TPageControl::paintEvent(QPaintEvent*) {
  // The pane: a dark outer frame and a light inner one around the page.
  QPainter p(this);
  const QRect pane(0, kTabHeight, width(), height() - kTabHeight);
  p.fillRect(pane, ContentColor());
  p.setPen(SkinColor(QStringLiteral("Frame")));
  p.drawRect(pane.adjusted(0, 0, -1, -1));
  p.setPen(Qt::white);
  p.drawRect(pane.adjusted(1, 1, -2, -2));
}
