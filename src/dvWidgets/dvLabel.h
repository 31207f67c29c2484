#pragma once
// dvLabel: a self-painted label that shows the rows of a string list one under another, either with a
// fixed gap between rows or on ruled lines like lined paper, with four margins, an optional black frame
// and its own background (or none). It can size itself to its content.
//
// Where rows and rulings go is computed by LayoutLabel()/ProposeLabelSize() from the rows' text extents
// only, so the geometry is the same whatever fonts the machine has; Paint draws what they compute.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// ---------------------------------------------------------------------------------------------------------
// The two small settings objects. Each setter stores and then calls OnChange (when set) with the object.

// Copyable settings object: Assign copies a source of the same class through the setters and does nothing
// for a source of another class.
class TDVPersistent {
 public:
  using TNotifyEvent = std::function<void(TDVPersistent* sender)>;
  virtual ~TDVPersistent() = default;
  void Assign(const TDVPersistent& source) { source.AssignTo(*this); }
  TNotifyEvent OnChange;

 protected:
  virtual void AssignTo(TDVPersistent& dest) const = 0;
  void Changed() {
    if (OnChange) OnChange(this);
  }
};

class TMarginSetup : public TDVPersistent {
 public:
  [[nodiscard]] int MarginLeft() const { return left_; }
  [[nodiscard]] int MarginTop() const { return top_; }
  [[nodiscard]] int MarginRight() const { return right_; }
  [[nodiscard]] int MarginBottom() const { return bottom_; }
  void SetMarginLeft(int value);
  void SetMarginTop(int value);
  void SetMarginRight(int value);
  void SetMarginBottom(int value);

 protected:
  void AssignTo(TDVPersistent& dest) const override;

 private:
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TUnderLine : public TDVPersistent {
 public:
  [[nodiscard]] QColor Color() const { return color_; }
  [[nodiscard]] bool Visible() const { return visible_; }
  [[nodiscard]] TPenStyle Style() const { return style_; }
  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] bool FullLine() const { return fullLine_; }
  [[nodiscard]] int MarginTop() const { return marginTop_; }
  [[nodiscard]] int MarginBottom() const { return marginBottom_; }
  void SetColor(const QColor& value);
  void SetVisible(bool value);
  void SetStyle(TPenStyle value);
  void SetWidth(int value);
  void SetFullLine(bool value);
  void SetMarginTop(int value);
  void SetMarginBottom(int value);

 protected:
  void AssignTo(TDVPersistent& dest) const override;

 private:
  QColor color_{Qt::black};
  bool visible_ = false;
  TPenStyle style_ = psDot;
  int width_ = 1;
  bool fullLine_ = true;
  int marginTop_ = 2;
  int marginBottom_ = 3;
};

// ---------------------------------------------------------------------------------------------------------
// Layout, free of fonts and widgets.

struct TTextExtent {
  int width = 0;
  int height = 0;
};

// The settings that decide where things go.
struct TLabelGeometry {
  int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
  int rowSpace = 1;
  int borderWidth = 0;
  bool ruled = false;  // UnderLine.Visible
  bool fullLine = true;
  int ruleWidth = 1;
  int ruleMarginTop = 2;
  int ruleMarginBottom = 3;
};

struct TRowPlace {
  int x = 0, y = 0;  // top-left corner of the row's text
  bool ruled = false;
  int ruleY = 0;
  int ruleX1 = 0, ruleX2 = 0;  // the ruling runs from ruleX1 up to, not including, ruleX2
};

struct TLabelLayout {
  int inset = 0;  // BorderWidth + 1 with a frame, else 0
  std::vector<TRowPlace> rows;
};

// Where each row and each ruling goes in a label `width` pixels wide.
[[nodiscard]] TLabelLayout LayoutLabel(const TLabelGeometry& g, std::span<const TTextExtent> rows, int width);
// The size the label proposes for itself, or nothing when it has no rows.
[[nodiscard]] std::optional<QSize> ProposeLabelSize(const TLabelGeometry& g,
                                                    std::span<const TTextExtent> rows);

// ---------------------------------------------------------------------------------------------------------

class TCustomDVLabel : public QWidget {
  Q_OBJECT

 public:
  explicit TCustomDVLabel(QWidget* parent = nullptr);
  ~TCustomDVLabel() override;

  // The rows. SetLines assigns a whole list (joined into one row when not MultiLine); the row edits
  // below change the list in place. Every change re-fits (when Autosize) and repaints.
  [[nodiscard]] const QStringList& Lines() const { return lines_; }
  void SetLines(const QStringList& rows);
  void AddRow(const QString& row);
  void SetRow(int index, const QString& row);
  void ClearRows();

  [[nodiscard]] int RowSpace() const { return rowSpace_; }
  void SetRowSpace(int value);
  [[nodiscard]] int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  [[nodiscard]] bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);
  [[nodiscard]] bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  [[nodiscard]] bool Autosize() const { return autosize_; }
  void SetAutosize(bool value);

  // Caption reads the rows as one text (each row followed by CR LF when MultiLine, else back to back);
  // writing splits the text at its line breaks into rows whatever MultiLine is.
  [[nodiscard]] QString Caption() const;
  void SetCaption(const QString& text);

  // The label's own objects stay; assigning copies the values into them.
  [[nodiscard]] TMarginSetup& Margin() { return *margin_; }
  [[nodiscard]] const TMarginSetup& Margin() const { return *margin_; }
  void SetMargin(const TMarginSetup& value) { margin_->Assign(value); }
  [[nodiscard]] TUnderLine& UnderLine() { return *underLine_; }
  [[nodiscard]] const TUnderLine& UnderLine() const { return *underLine_; }
  void SetUnderLine(const TUnderLine& value) { underLine_->Assign(value); }

  // Background colour. Setting it ends the use of the parent's colour (ParentColor becomes false).
  [[nodiscard]] QColor Color() const { return color_; }
  void setColor(const QColor& value);
  [[nodiscard]] bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  // The font is QWidget::font(); ParentFont true makes it follow the parent's font again. Changing the
  // font does not switch ParentFont off.
  [[nodiscard]] bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);

  // The component name is the objectName. Renaming a label whose rows are empty or one row equal to the
  // old name (spaces around it ignored) puts the new name into the rows. setObjectName works as well.
  void SetName(const QString& name);

  // While the label's stored settings are being applied, Caption writes are ignored and the label does
  // not size itself; EndLoading re-fits once.
  void BeginLoading() { loading_ = true; }
  void EndLoading();
  [[nodiscard]] bool Loading() const { return loading_; }

  // The size the label proposes for its content in its current font, or nothing (no rows, or loading).
  [[nodiscard]] std::optional<QSize> CanAutoSize() const;
  // Text extents of the rows in the current font; an empty row is 0 by 0.
  [[nodiscard]] std::vector<TTextExtent> RowExtents() const;
  [[nodiscard]] TLabelGeometry Geometry() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Rename(const QString& newName);
  void ContentChanged();  // the one change handler of rows, margins, ruling and font
  void Refit();
  void Repaint() { update(); }
  [[nodiscard]] QBrush BackgroundBrush() const;

  QStringList lines_;
  int rowSpace_ = 1;
  int borderWidth_ = 0;
  bool multiLine_ = true;
  bool transparent_ = false;
  bool autosize_ = false;
  bool loading_ = false;
  bool parentColor_ = true;
  bool parentFont_ = true;
  QColor color_;
  QString name_;  // the name the rename hook compares with
  std::unique_ptr<TMarginSetup> margin_;
  std::unique_ptr<TUnderLine> underLine_;
};

class TZQLabel : public TCustomDVLabel {
  Q_OBJECT

 public:
  explicit TZQLabel(QWidget* parent = nullptr) : TCustomDVLabel(parent) {}
};
