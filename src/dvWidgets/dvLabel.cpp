#include "dvWidgets/dvLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "dvTools/dvStrTools.h"

// ---------------------------------------------------------------------------------------------------------
// Settings objects

void TMarginSetup::SetMarginLeft(int value) {
  left_ = value;
  Changed();
}
void TMarginSetup::SetMarginTop(int value) {
  top_ = value;
  Changed();
}
void TMarginSetup::SetMarginRight(int value) {
  right_ = value;
  Changed();
}
void TMarginSetup::SetMarginBottom(int value) {
  bottom_ = value;
  Changed();
}

void TMarginSetup::AssignTo(TDVPersistent& dest) const {
  auto* target = dynamic_cast<TMarginSetup*>(&dest);
  if (!target) return;
  // Through the setters, so the target's owner hears of every value.
  target->SetMarginLeft(left_);
  target->SetMarginTop(top_);
  target->SetMarginRight(right_);
  target->SetMarginBottom(bottom_);
}

void TUnderLine::SetColor(const QColor& value) {
  color_ = value;
  Changed();
}
void TUnderLine::SetVisible(bool value) {
  visible_ = value;
  Changed();
}
void TUnderLine::SetStyle(TPenStyle value) {
  style_ = value;
  Changed();
}
void TUnderLine::SetWidth(int value) {
  width_ = value;
  Changed();
}
void TUnderLine::SetFullLine(bool value) {
  fullLine_ = value;
  Changed();
}
void TUnderLine::SetMarginTop(int value) {
  marginTop_ = value;
  Changed();
}
void TUnderLine::SetMarginBottom(int value) {
  marginBottom_ = value;
  Changed();
}

void TUnderLine::AssignTo(TDVPersistent& dest) const {
  auto* target = dynamic_cast<TUnderLine*>(&dest);
  if (!target) return;
  target->SetVisible(visible_);
  target->SetWidth(width_);
  target->SetStyle(style_);
  target->SetFullLine(fullLine_);
  target->SetMarginBottom(marginBottom_);
  target->SetMarginTop(marginTop_);
  target->SetColor(color_);
}

// ---------------------------------------------------------------------------------------------------------
// Layout

TLabelLayout LayoutLabel(const TLabelGeometry& g, std::span<const TTextExtent> rows, int width) {
  TLabelLayout layout;
  layout.inset = g.borderWidth > 0 ? g.borderWidth + 1 : 0;
  const int x = g.marginLeft + layout.inset;
  int y = g.marginTop + layout.inset;
  layout.rows.reserve(rows.size());
  for (const TTextExtent& extent : rows) {
    TRowPlace place;
    place.x = x;
    place.y = y;
    // An empty row measures 0 by 0, so it adds only the gap after it.
    y += extent.height;
    if (g.ruled) {
      y += g.ruleMarginTop;
      place.ruled = true;
      place.ruleY = y;
      place.ruleX1 = x;
      place.ruleX2 = g.fullLine ? width - g.marginRight - layout.inset : x + extent.width;
      y += g.ruleMarginBottom + g.ruleWidth;
    } else {
      y += g.rowSpace;
    }
    layout.rows.push_back(place);
  }
  return layout;
}

std::optional<QSize> ProposeLabelSize(const TLabelGeometry& g, std::span<const TTextExtent> rows) {
  if (rows.empty()) return std::nullopt;
  int widest = 0;
  int height = g.marginTop + g.marginBottom;
  const int gap = g.ruled ? g.ruleMarginTop + g.ruleMarginBottom + g.ruleWidth : g.rowSpace;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    widest = std::max(widest, rows[i].width);
    height += rows[i].height;
    // The gap lies between rows only: the last row's ruling may fall outside the proposed height.
    if (i + 1 < rows.size()) height += gap;
  }
  int width = g.marginLeft + widest + g.marginRight;
  if (g.borderWidth > 0) {
    width += 2 * (g.borderWidth + 1);
    height += 2 * (g.borderWidth + 1);
  }
  return QSize(width, height);
}

// ---------------------------------------------------------------------------------------------------------
// The label

namespace {

// Rows of a text split at CR LF, CR or LF; a break at the very end adds no empty row, and an empty text
// has no rows at all.
QStringList SplitRows(const QString& text) {
  QStringList rows;
  qsizetype start = 0;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      rows.push_back(text.mid(start, i - start));
      if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) rows.push_back(text.mid(start));
  return rows;
}

// The row shows nothing but the name (spaces around it do not count). The space is one byte in UTF-8,
// so trimming the UTF-8 bytes trims exactly the spaces.
bool RowIsName(const QString& row, const QString& name) {
  const QByteArray bytes = row.toUtf8();
  return TrimSpaces(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), 0) ==
         name.toUtf8().toStdString();
}

Qt::PenStyle ToQtPenStyle(TPenStyle style) {
  switch (style) {
    case psSolid:
    case psInsideFrame:
      return Qt::SolidLine;
    case psDash:
      return Qt::DashLine;
    case psDot:
      return Qt::DotLine;
    case psDashDot:
      return Qt::DashDotLine;
    case psDashDotDot:
      return Qt::DashDotDotLine;
    case psClear:
      return Qt::NoPen;
  }
  return Qt::SolidLine;
}

}  // namespace

TCustomDVLabel::TCustomDVLabel(QWidget* parent)
    : QWidget(parent),
      color_(QGuiApplication::palette().color(QPalette::Base)),
      margin_(std::make_unique<TMarginSetup>()),
      underLine_(std::make_unique<TUnderLine>()) {
  // The label paints its whole area itself unless it is transparent.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  margin_->OnChange = [this](TDVPersistent*) { ContentChanged(); };
  underLine_->OnChange = [this](TDVPersistent*) { ContentChanged(); };
  // Qt has no rename notification of its own; the objectName is the component's name.
  connect(this, &QObject::objectNameChanged, this, [this](const QString& name) { Rename(name); });
}

TCustomDVLabel::~TCustomDVLabel() {
  // The settings objects must not call back into a half-destroyed label.
  margin_->OnChange = nullptr;
  underLine_->OnChange = nullptr;
}

void TCustomDVLabel::SetLines(const QStringList& rows) {
  if (multiLine_) {
    lines_ = rows;
  } else {
    lines_ = SplitRows(rows.join(QString()));
  }
  ContentChanged();
}

void TCustomDVLabel::AddRow(const QString& row) {
  lines_.push_back(row);
  ContentChanged();
}

void TCustomDVLabel::SetRow(int index, const QString& row) {
  if (index < 0 || index >= lines_.size()) return;
  lines_[index] = row;
  ContentChanged();
}

void TCustomDVLabel::ClearRows() {
  lines_.clear();
  ContentChanged();
}

void TCustomDVLabel::SetRowSpace(int value) {
  rowSpace_ = value;
  Refit();
  Repaint();
}

void TCustomDVLabel::SetBorderWidth(int value) {
  borderWidth_ = value;
  Refit();
  Repaint();
}

void TCustomDVLabel::SetMultiLine(bool value) {
  multiLine_ = value;
  // Switching off joins the rows into one; switching back on does not split them again.
  const QStringList copy = lines_;
  SetLines(copy);
}

void TCustomDVLabel::SetTransparent(bool value) {
  transparent_ = value;
  setAttribute(Qt::WA_OpaquePaintEvent, !value);
  Repaint();
}

void TCustomDVLabel::SetAutosize(bool value) {
  autosize_ = value;
  Refit();
}

QString TCustomDVLabel::Caption() const {
  if (!multiLine_) return lines_.join(QString());
  QString text;
  for (const QString& row : lines_) text += row + QStringLiteral("\r\n");
  return text;
}

void TCustomDVLabel::SetCaption(const QString& text) {
  if (loading_) return;
  lines_ = SplitRows(text);
  ContentChanged();
}

void TCustomDVLabel::setColor(const QColor& value) {
  color_ = value;
  parentColor_ = false;
  Repaint();
}

void TCustomDVLabel::SetParentColor(bool value) {
  parentColor_ = value;
  Repaint();
}

void TCustomDVLabel::SetParentFont(bool value) {
  parentFont_ = value;
  // An empty font resolves nothing of its own, so the parent's font shows through again; pinning the
  // current font keeps it when the parent's changes later.
  setFont(value ? QFont() : font());
}

void TCustomDVLabel::SetName(const QString& name) {
  setObjectName(name);
}

void TCustomDVLabel::Rename(const QString& newName) {
  const QString oldName = name_;
  name_ = newName;
  if (lines_.isEmpty() || (lines_.size() == 1 && RowIsName(lines_.front(), oldName))) {
    lines_ = QStringList{newName};
    ContentChanged();
  }
}

void TCustomDVLabel::EndLoading() {
  loading_ = false;
  Refit();
  Repaint();
}

std::vector<TTextExtent> TCustomDVLabel::RowExtents() const {
  const QFontMetrics metrics(font());
  std::vector<TTextExtent> extents;
  extents.reserve(lines_.size());
  for (const QString& row : lines_) {
    if (row.isEmpty())
      extents.push_back({0, 0});
    else
      extents.push_back({metrics.horizontalAdvance(row), metrics.height()});
  }
  return extents;
}

TLabelGeometry TCustomDVLabel::Geometry() const {
  TLabelGeometry g;
  g.marginLeft = margin_->MarginLeft();
  g.marginTop = margin_->MarginTop();
  g.marginRight = margin_->MarginRight();
  g.marginBottom = margin_->MarginBottom();
  g.rowSpace = rowSpace_;
  g.borderWidth = borderWidth_;
  g.ruled = underLine_->Visible();
  g.fullLine = underLine_->FullLine();
  g.ruleWidth = underLine_->Width();
  g.ruleMarginTop = underLine_->MarginTop();
  g.ruleMarginBottom = underLine_->MarginBottom();
  return g;
}

std::optional<QSize> TCustomDVLabel::CanAutoSize() const {
  if (loading_ || lines_.isEmpty()) return std::nullopt;
  const std::vector<TTextExtent> extents = RowExtents();
  return ProposeLabelSize(Geometry(), extents);
}

void TCustomDVLabel::ContentChanged() {
  Refit();
  Repaint();
}

void TCustomDVLabel::Refit() {
  if (!autosize_) return;
  if (const auto size = CanAutoSize()) resize(*size);
}

QBrush TCustomDVLabel::BackgroundBrush() const {
  if (parentColor_ && parentWidget()) {
    const QWidget* parent = parentWidget();
    return QBrush(parent->palette().color(parent->backgroundRole()));
  }
  return QBrush(color_);
}

void TCustomDVLabel::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::FontChange:
      ContentChanged();
      break;
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
      Repaint();
      break;
    default:
      break;
  }
  QWidget::changeEvent(event);
}

void TCustomDVLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  const QBrush background = BackgroundBrush();
  const int w = width(), h = height();

  if (!transparent_) painter.fillRect(0, 0, w, h, background);

  if (borderWidth_ > 0) {
    // A black band borderWidth_ pixels wide along the inside of the edges; the text starts one pixel
    // further in.
    const int b = borderWidth_;
    painter.fillRect(0, 0, w, std::min(b, h), Qt::black);
    painter.fillRect(0, std::max(0, h - b), w, std::min(b, h), Qt::black);
    painter.fillRect(0, 0, std::min(b, w), h, Qt::black);
    painter.fillRect(std::max(0, w - b), 0, std::min(b, w), h, Qt::black);
  }

  const std::vector<TTextExtent> extents = RowExtents();
  const TLabelLayout layout = LayoutLabel(Geometry(), extents, w);
  const QColor textColor = palette().color(foregroundRole());
  const TUnderLine& rule = *underLine_;
  for (std::size_t i = 0; i < layout.rows.size(); ++i) {
    const TRowPlace& place = layout.rows[i];
    const QString& row = lines_[static_cast<qsizetype>(i)];
    if (!row.isEmpty()) {
      if (!transparent_) painter.fillRect(place.x, place.y, extents[i].width, extents[i].height, background);
      painter.setPen(textColor);
      painter.drawText(place.x, place.y + metrics.ascent(), row);
    }
    if (place.ruled && place.ruleX2 != place.ruleX1) {
      QPen pen(rule.Color(), std::max(0, rule.Width()), ToQtPenStyle(rule.Style()), Qt::FlatCap);
      painter.setPen(pen);
      // With flat caps the end point itself is not drawn.
      painter.drawLine(place.ruleX1, place.ruleY, place.ruleX2, place.ruleY);
    }
  }
}
