// The ruled multi-line label: layout from text extents (no fonts), its property rules, the rename hook,
// and a few paints into an image where the pixels matter.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <vector>

#include "dvWidgets/dvLabel.h"

namespace {

constexpr TTextExtent kEmpty{0, 0};

TLabelGeometry RuledGeometry() {
  TLabelGeometry g;
  g.ruled = true;
  g.fullLine = true;
  g.ruleWidth = 1;
  g.ruleMarginTop = 2;
  g.ruleMarginBottom = 3;
  return g;
}

}  // namespace

TEST(LabelLayout, RowsRulingsAndInsets) {
  TLabelGeometry about;  // the About label: gap 5, no frame, no ruling
  about.rowSpace = 5;
  TLabelGeometry ruled = RuledGeometry();
  TLabelGeometry framed = RuledGeometry();
  framed.borderWidth = 2;
  TLabelGeometry textWide = RuledGeometry();
  textWide.fullLine = false;
  TLabelGeometry margins;
  margins.marginLeft = 7;
  margins.marginTop = 4;
  margins.rowSpace = 0;
  margins.borderWidth = 1;

  struct Row {
    const char* name;
    TLabelGeometry g;
    std::vector<TTextExtent> extents;
    int width;
    std::vector<int> rowYs;
    int x;
    std::vector<std::array<int, 3>> rules;  // y, x1, x2 of each ruled row
  };
  const Row rows[] = {
      {"text rows advance 13+5, empty rows 0+5",
       about,
       {{200, 13}, kEmpty, {300, 13}, kEmpty, {150, 13}},
       393,
       {0, 18, 23, 41, 46},
       0,
       {}},
      {"ruling 2 below the text, next row 4 further",
       ruled,
       {{50, 13}, {60, 13}},
       100,
       {0, 19},
       0,
       {{15, 0, 100}, {34, 0, 100}}},
      {"frame of width 2 insets by 3", framed, {{50, 13}}, 120, {3}, 3, {{18, 3, 117}}},
      {"text-wide ruling ends at the text's width",
       textWide,
       {{50, 13}, kEmpty},
       100,
       {0, 19},
       0,
       {{15, 0, 50}, {21, 0, 0}}},
      {"margins add to the inset", margins, {{10, 13}, {10, 13}}, 100, {6, 19}, 9, {}},
      {"no rows", about, {}, 100, {}, 0, {}},
  };
  for (const Row& r : rows) {
    const TLabelLayout layout = LayoutLabel(r.g, r.extents, r.width);
    ASSERT_EQ(layout.rows.size(), r.rowYs.size()) << r.name;
    std::size_t ruledIndex = 0;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
      EXPECT_EQ(layout.rows[i].y, r.rowYs[i]) << r.name << " row " << i;
      EXPECT_EQ(layout.rows[i].x, r.x) << r.name << " row " << i;
      EXPECT_EQ(layout.rows[i].ruled, !r.rules.empty()) << r.name;
      if (layout.rows[i].ruled) {
        const auto& expected = r.rules[ruledIndex++];
        EXPECT_EQ(layout.rows[i].ruleY, expected[0]) << r.name << " row " << i;
        EXPECT_EQ(layout.rows[i].ruleX1, expected[1]) << r.name << " row " << i;
        EXPECT_EQ(layout.rows[i].ruleX2, expected[2]) << r.name << " row " << i;
      }
    }
  }
}

TEST(LabelLayout, ProposedSize) {
  TLabelGeometry plain;
  plain.rowSpace = 5;
  plain.marginLeft = 2;
  plain.marginRight = 3;
  plain.marginTop = 1;
  plain.marginBottom = 4;
  TLabelGeometry framed = plain;
  framed.borderWidth = 2;
  TLabelGeometry ruled = RuledGeometry();  // gap 2 + 3 + 1 = 6
  struct Row {
    const char* name;
    TLabelGeometry g;
    std::vector<TTextExtent> extents;
    std::optional<QSize> size;
  };
  const Row rows[] = {
      {"declines without rows", plain, {}, std::nullopt},
      {"one gap between each two rows, none after the last",
       plain,
       {{40, 13}, kEmpty, {90, 13}},
       QSize(2 + 90 + 3, 1 + 13 + 5 + 0 + 5 + 13 + 4)},
      {"frame adds twice its width plus one", framed, {{40, 13}}, QSize(2 + 40 + 3 + 6, 1 + 13 + 4 + 6)},
      {"ruling gaps", ruled, {{40, 13}, {30, 13}}, QSize(40, 13 + 6 + 13)},
      {"all rows empty", plain, {kEmpty, kEmpty}, QSize(5, 1 + 5 + 4)},
  };
  for (const Row& r : rows) EXPECT_EQ(ProposeLabelSize(r.g, r.extents), r.size) << r.name;
}

TEST(LabelLayout, AutosizeCutsOffTheLastRulingUnlessTheBottomMarginIsLarger) {
  struct Row {
    int marginBottom;
    int borderWidth;
    bool lastRulingInside;
  };
  const Row rows[] = {{0, 0, false}, {2, 0, false}, {3, 0, true}, {0, 2, true}, {0, 1, false}};
  const std::vector<TTextExtent> extents = {{40, 13}, {40, 13}};
  for (const Row& r : rows) {
    TLabelGeometry g = RuledGeometry();
    g.marginBottom = r.marginBottom;
    g.borderWidth = r.borderWidth;
    const QSize size = *ProposeLabelSize(g, extents);
    const TLabelLayout layout = LayoutLabel(g, extents, size.width());
    // The last text ends marginBottom (plus the inset) above the proposed bottom edge.
    EXPECT_EQ(layout.rows.back().y + 13 + g.marginBottom + layout.inset, size.height()) << r.marginBottom;
    EXPECT_EQ(layout.rows.back().ruleY < size.height(), r.lastRulingInside)
        << "marginBottom " << r.marginBottom << " border " << r.borderWidth;
  }
}

TEST(LabelSettings, CopyGoesThroughEverySetterAndFiresOncePerValue) {
  TUnderLine source;
  source.SetColor(QColor(10, 20, 30));
  source.SetVisible(true);
  source.SetStyle(psDashDot);
  source.SetWidth(4);
  source.SetFullLine(false);
  source.SetMarginTop(7);
  source.SetMarginBottom(9);
  TUnderLine target;
  int changes = 0;
  target.OnChange = [&](TDVPersistent* sender) {
    EXPECT_EQ(sender, &target);
    ++changes;
  };
  target.Assign(source);
  EXPECT_EQ(changes, 7);
  EXPECT_EQ(target.Color(), QColor(10, 20, 30));
  EXPECT_TRUE(target.Visible());
  EXPECT_EQ(target.Style(), psDashDot);
  EXPECT_EQ(target.Width(), 4);
  EXPECT_FALSE(target.FullLine());
  EXPECT_EQ(target.MarginTop(), 7);
  EXPECT_EQ(target.MarginBottom(), 9);

  TMarginSetup margins;
  margins.SetMarginLeft(1);
  margins.SetMarginTop(2);
  margins.SetMarginRight(3);
  margins.SetMarginBottom(4);
  TMarginSetup marginTarget;
  int marginChanges = 0;
  marginTarget.OnChange = [&](TDVPersistent*) { ++marginChanges; };
  marginTarget.Assign(margins);
  EXPECT_EQ(marginChanges, 4);
  EXPECT_EQ(marginTarget.MarginBottom(), 4);

  // Another class: nothing is copied and nothing fires.
  changes = 0;
  target.Assign(margins);
  marginTarget.Assign(source);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(marginChanges, 4);
  EXPECT_EQ(target.Width(), 4);
}

TEST(DVLabel, ConstructedDefaults) {
  TZQLabel label;
  EXPECT_TRUE(label.Lines().isEmpty());
  EXPECT_EQ(label.RowSpace(), 1);
  EXPECT_EQ(label.BorderWidth(), 0);
  EXPECT_TRUE(label.MultiLine());
  EXPECT_FALSE(label.Transparent());
  EXPECT_FALSE(label.Autosize());
  EXPECT_TRUE(label.ParentColor());
  EXPECT_TRUE(label.ParentFont());
  EXPECT_FALSE(label.UnderLine().Visible());
  EXPECT_EQ(label.UnderLine().Style(), psDot);
  EXPECT_EQ(label.UnderLine().Color(), QColor(Qt::black));
  EXPECT_EQ(label.Margin().MarginLeft(), 0);
  EXPECT_EQ(label.CanAutoSize(), std::nullopt);
}

TEST(DVLabel, MultiLineAndCaption) {
  struct Row {
    const char* name;
    std::function<void(TZQLabel&)> act;
    QStringList rows;
    QString caption;
  };
  const Row rows[] = {
      {"two rows read with a break after each",
       [](TZQLabel& l) {
         l.SetLines({"ab", "cd"});
       },
       {"ab", "cd"},
       "ab\r\ncd\r\n"},
      {"switching off joins the rows",
       [](TZQLabel& l) {
         l.SetLines({"ab", "cd"});
         l.SetMultiLine(false);
       },
       {"abcd"},
       "abcd"},
      {"switching back on does not split again",
       [](TZQLabel& l) {
         l.SetLines({"ab", "cd"});
         l.SetMultiLine(false);
         l.SetMultiLine(true);
       },
       {"abcd"},
       "abcd\r\n"},
      {"single-line caption write splits at every kind of break",
       [](TZQLabel& l) {
         l.SetMultiLine(false);
         l.SetCaption("one\r\ntwo\nthree");
       },
       {"one", "two", "three"},
       "onetwothree"},
      {"a lone CR breaks too, a final break adds no row",
       [](TZQLabel& l) { l.SetCaption("a\rb\r\n"); },
       {"a", "b"},
       "a\r\nb\r\n"},
      {"single-line lines assignment joins rows then splits at embedded breaks",
       [](TZQLabel& l) {
         l.SetMultiLine(false);
         l.SetLines({"x\r\n", "y"});
       },
       {"x", "y"},
       "xy"},
      {"joining only empty rows leaves no row",
       [](TZQLabel& l) {
         l.SetLines({"", ""});
         l.SetMultiLine(false);
       },
       {},
       ""},
      {"caption writes are ignored while loading",
       [](TZQLabel& l) {
         l.SetLines({"kept"});
         l.BeginLoading();
         l.SetCaption("lost");
         l.EndLoading();
       },
       {"kept"},
       "kept\r\n"},
  };
  for (const Row& r : rows) {
    TZQLabel label;
    label.SetName("Probe");
    label.ClearRows();
    r.act(label);
    EXPECT_EQ(label.Lines(), r.rows) << r.name;
    EXPECT_EQ(label.Caption(), r.caption) << r.name;
  }
}

TEST(DVLabel, RenameHookFollowsAnEmptyOrNameOnlyRow) {
  struct Row {
    const char* name;
    QStringList before;
    QStringList after;
  };
  const Row rows[] = {
      {"empty rows take the name", {}, {"NewName"}},
      {"a row equal to the old name follows it", {"OldName"}, {"NewName"}},
      {"spaces around the old name are ignored", {"  OldName "}, {"NewName"}},
      {"a tab is not a space", {"\tOldName"}, {"\tOldName"}},
      {"other text stays", {"Hello"}, {"Hello"}},
      {"two rows stay even when the first is the name", {"OldName", ""}, {"OldName", ""}},
      {"the name is compared exactly", {"oldname"}, {"oldname"}},
  };
  for (const Row& r : rows) {
    TZQLabel label;
    label.setObjectName("OldName");
    label.SetLines(r.before);
    label.SetName("NewName");
    EXPECT_EQ(label.Lines(), r.after) << r.name;
  }
  // setObjectName is the rename as well; every later rename compares with the latest name.
  TZQLabel label;
  label.setObjectName("A");
  EXPECT_EQ(label.Lines(), QStringList{"A"});
  label.setObjectName("B");
  label.setObjectName("C");
  EXPECT_EQ(label.Lines(), QStringList{"C"});
}

TEST(DVLabel, EveryChangeSourceRefitsAnAutosizedLabel) {
  struct Row {
    const char* name;
    std::function<void(TZQLabel&)> act;
  };
  const Row rows[] = {
      {"rows", [](TZQLabel& l) { l.AddRow("a much longer second row"); }},
      {"margin", [](TZQLabel& l) { l.Margin().SetMarginLeft(30); }},
      {"ruling", [](TZQLabel& l) { l.UnderLine().SetVisible(true); }},
      {"font",
       [](TZQLabel& l) {
         QFont f = l.font();
         f.setPixelSize(40);
         l.setFont(f);
       }},
      {"row space", [](TZQLabel& l) { l.SetRowSpace(50); }},
      {"border", [](TZQLabel& l) { l.SetBorderWidth(4); }},
  };
  for (const Row& r : rows) {
    TZQLabel label;
    label.SetLines({"row one", "row two"});
    label.resize(1, 1);
    label.SetAutosize(true);
    const QSize before = label.size();
    EXPECT_EQ(before, *label.CanAutoSize()) << r.name;
    r.act(label);
    EXPECT_NE(label.size(), before) << r.name;
    EXPECT_EQ(label.size(), *label.CanAutoSize()) << r.name;
    EXPECT_TRUE(label.ParentFont()) << r.name;
  }
  // Without rows the label declines and keeps its size.
  TZQLabel empty;
  empty.resize(33, 44);
  empty.SetAutosize(true);
  EXPECT_EQ(empty.size(), QSize(33, 44));
  // Nor does it size itself while loading.
  TZQLabel loading;
  loading.resize(33, 44);
  loading.BeginLoading();
  loading.SetAutosize(true);
  loading.SetLines({"text"});
  EXPECT_EQ(loading.size(), QSize(33, 44));
  loading.EndLoading();
  EXPECT_NE(loading.size(), QSize(33, 44));
}

// ---------------------------------------------------------------------------------------------------------
// Painting

namespace {

const QColor kBehind(255, 0, 255);  // what lies behind the label in the image
const QColor kBackground(243, 245, 247);

QImage Paint(TZQLabel& label) {
  QImage image(label.size(), QImage::Format_RGB32);
  image.fill(kBehind);
  label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

QColor At(const QImage& image, int x, int y) {
  return QColor(image.pixel(x, y));
}

void SetUpLabel(TZQLabel& label, QWidget& parent) {
  label.setParent(&parent);
  QFont font("DejaVu Sans");
  font.setPixelSize(13);
  label.setFont(font);
  label.resize(120, 60);
  label.setColor(kBackground);
}

}  // namespace

TEST(DVLabelPaint, BackgroundFrameAndFullRuling) {
  QWidget parent;
  TZQLabel label;
  SetUpLabel(label, parent);
  label.SetBorderWidth(2);
  label.UnderLine().SetVisible(true);
  label.UnderLine().SetStyle(psSolid);
  label.UnderLine().SetColor(QColor(0, 0, 200));
  label.SetLines({"Ag"});
  const QImage image = Paint(label);
  const int rowHeight = label.RowExtents()[0].height;
  const int ruleY = 3 + rowHeight + 2;

  const struct {
    int x, y;
    QColor colour;
    const char* what;
  } rows[] = {
      {0, 0, Qt::black, "frame corner"},
      {1, 30, Qt::black, "frame left band"},
      {119, 59, Qt::black, "frame far corner"},
      {2, 30, kBackground, "inside the frame"},
      {110, 50, kBackground, "background"},
      {3, ruleY, QColor(0, 0, 200), "ruling starts at the inset"},
      {116, ruleY, QColor(0, 0, 200), "full ruling runs across the text's right"},
      {117, ruleY, kBackground, "ruling ends before width - inset"},
      {3, ruleY - 1, kBackground, "nothing above the ruling"},
  };
  for (const auto& r : rows) EXPECT_EQ(At(image, r.x, r.y), r.colour) << r.what;
}

TEST(DVLabelPaint, ParentColourWhileParentColorIsOn) {
  QWidget parent;
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(10, 120, 30));
  parent.setPalette(palette);
  TZQLabel label(&parent);
  label.resize(50, 20);
  EXPECT_EQ(At(Paint(label), 25, 10), QColor(10, 120, 30));
  label.setColor(QColor(1, 2, 3));
  EXPECT_EQ(At(Paint(label), 25, 10), QColor(1, 2, 3));
}

TEST(DVLabelPaint, TransparentPaintsOnlyFrameAndText) {
  QWidget parent;
  TZQLabel label;
  SetUpLabel(label, parent);
  label.SetTransparent(true);
  label.SetBorderWidth(1);
  label.SetLines({"Hello", "World"});
  const QImage image = Paint(label);
  const TLabelLayout layout = LayoutLabel(label.Geometry(), label.RowExtents(), label.width());
  const std::vector<TTextExtent> extents = label.RowExtents();
  int textPixels = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const bool frame = x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1;
      const QColor c = At(image, x, y);
      if (frame) {
        EXPECT_EQ(c, QColor(Qt::black)) << x << "," << y;
        continue;
      }
      if (c == kBehind) continue;
      // Anything else painted must lie within a row's text.
      bool inText = false;
      for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const QRect box(layout.rows[i].x, layout.rows[i].y, extents[i].width, extents[i].height);
        inText = inText || box.contains(x, y);
      }
      EXPECT_TRUE(inText) << x << "," << y;
      ++textPixels;
    }
  }
  EXPECT_GT(textPixels, 20);
}

TEST(DVLabelPaint, EmptyLabelFillsAndFramesOnly) {
  const struct {
    bool transparent;
    QColor inside;
  } rows[] = {{false, kBackground}, {true, kBehind}};
  for (const auto& r : rows) {
    QWidget parent;
    TZQLabel label;
    SetUpLabel(label, parent);
    label.SetBorderWidth(1);
    label.SetTransparent(r.transparent);
    const QImage image = Paint(label);
    for (int y = 1; y < image.height() - 1; ++y)
      for (int x = 1; x < image.width() - 1; ++x)
        ASSERT_EQ(At(image, x, y), r.inside) << r.transparent << " " << x << "," << y;
    EXPECT_EQ(At(image, 0, 0), QColor(Qt::black));
  }
}

TEST(DVLabelPaint, SingleLineCaptionWithTwoBreaksPaintsThreeRows) {
  QWidget parent;
  TZQLabel label;
  SetUpLabel(label, parent);
  label.SetMultiLine(false);
  label.SetCaption("H\r\nH\r\nH");
  ASSERT_EQ(label.Lines().size(), 3);
  const QImage image = Paint(label);
  const TLabelLayout layout = LayoutLabel(label.Geometry(), label.RowExtents(), label.width());
  const std::vector<TTextExtent> extents = label.RowExtents();
  for (std::size_t i = 0; i < 3; ++i) {
    bool inked = false;
    for (int y = layout.rows[i].y; y < layout.rows[i].y + extents[i].height; ++y)
      for (int x = 0; x < extents[i].width; ++x) inked = inked || At(image, x, y) != kBackground;
    EXPECT_TRUE(inked) << "row " << i;
  }
}
