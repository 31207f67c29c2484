#pragma once
// The plain controls of the main window that Qt does not offer as they are needed: a label that sizes
// itself to its caption, a picture, a bevel line, and a page control whose pages sit at a fixed place.

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

class QStackedWidget;
class QTabBar;

// A label whose size follows its caption and font (the laid-out text's advance and line height, fallback
// fonts included), drawn from its top-left corner. Transparent unless SetOpaque(true): then it fills its
// rectangle with the colour given.
class TLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TLabel(const QString& caption, QWidget* parent = nullptr);
  // Sets the caption and re-fits the size.
  void SetCaption(const QString& caption);
  [[nodiscard]] QString Caption() const { return text(); }
  void SetOpaque(const QColor& fill);
  // The size that fits the caption in the current font.
  [[nodiscard]] QSize TextExtent() const;
  void AdjustToText();

 protected:
  void changeEvent(QEvent* event) override;
};

// A picture shown at its own size from the top-left corner. A transparent picture does not paint the
// colour of its bottom-left pixel, so the page shows through there.
class TImage : public QWidget {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);
  void SetPicture(const QPixmap& picture);
  [[nodiscard]] const QPixmap& Picture() const { return picture_; }
  void SetTransparent(bool transparent);
  [[nodiscard]] bool Transparent() const { return transparent_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Rebuild();
  QPixmap picture_;
  QPixmap shown_;
  bool transparent_ = false;
};

// A lowered line along the bottom edge of its rectangle.
class TBevel : public QWidget {
  Q_OBJECT
 public:
  explicit TBevel(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// One page of a TPageControl. Its caption is its window title, so setting the title re-captions the tab.
class TTabSheet : public QWidget {
  Q_OBJECT
 public:
  explicit TTabSheet(QWidget* parent = nullptr);
  [[nodiscard]] QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& caption) { setWindowTitle(caption); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Tabs along the top and one page shown below them. Every page's client area starts at (2, 25) inside
// the control and fills it but for a 2-pixel frame.
class TPageControl : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kTabHeight = 23;
  static constexpr int kPageLeft = 2;
  static constexpr int kPageTop = 25;

  explicit TPageControl(QWidget* parent = nullptr);

  TTabSheet* AddPage(const QString& name, const QString& caption);
  [[nodiscard]] int PageCount() const;
  [[nodiscard]] TTabSheet* Page(int index) const;
  // -1 when no page is active.
  [[nodiscard]] int ActivePageIndex() const { return active_; }
  [[nodiscard]] TTabSheet* ActivePage() const { return Page(active_); }
  // An index outside 0 .. PageCount()-1 leaves no page active.
  void SetActivePageIndex(int index);
  [[nodiscard]] QTabBar* TabBar() const { return tabs_; }

 signals:
  void ActivePageChanged(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Arrange();
  // The tab bar's scroll buttons in the language of Qt's texts now.
  void NameScrollButtons();
  QTabBar* tabs_;
  QStackedWidget* stack_;
  QWidget* blank_;
  QList<TTabSheet*> pages_;
  int active_ = -1;
};
