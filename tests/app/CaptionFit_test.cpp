// Every caption fits its control with each shipped pack, in the fonts this machine resolves: the text's
// glyphs, placed where Qt draws them, lie inside the control (no clipped letters, no cut descenders) and
// clear of every other control on the same page. The controls are found by walking the window, so a
// control or a page added later is checked without naming it here.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QFontInfo>
#include <QGlyphRun>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabBar>
#include <QTextLayout>

#include <memory>

#include "TestProgram.h"
#include "app/Skimplane_form.h"
#include "app/Widgets.h"
#include "dvWidgets/dvLabel.h"

namespace {

// Less than this is rounding, not a clipped pixel.
constexpr qreal kTolerance = 0.5;
// A caption closer than this to another control runs into it.
constexpr qreal kGap = 1;

// One caption as its control draws it: the text and the box the control lays it out in (in the
// control's coordinates). Its glyphs must stay inside that box.
struct TCaption {
  const QWidget* control;
  QString text;
  QRect box;
  Qt::Alignment align;
};

// The ink of the text's glyphs, laid out as QPainter::drawText lays it out in the caption's box: in the
// control's font, each character in the font that draws it (a fallback font may be taller), the line
// placed by the alignment.
QRectF Ink(const TCaption& c) {
  QTextLayout layout(c.text, c.control->font());
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(1e6);
  layout.endLayout();
  QRectF ink;
  for (const QGlyphRun& run : layout.glyphRuns()) {
    const QRawFont font = run.rawFont();
    for (qsizetype i = 0; i < run.glyphIndexes().size(); ++i)
      ink |= font.boundingRect(run.glyphIndexes()[i]).translated(run.positions()[i]);
  }
  qreal dx = 0, dy = 0;
  if (c.align & Qt::AlignHCenter) dx = (c.box.width() - line.naturalTextWidth()) / 2;
  if (c.align & Qt::AlignVCenter) dy = (c.box.height() - line.height()) / 2;
  return ink.translated(c.box.left() + dx, c.box.top() + dy);
}

// The captions a control shows: a label's or button's text, every entry of a box, every tab, every row.
std::vector<TCaption> CaptionsOf(const QWidget& w) {
  const QStyle& style = *w.style();
  const Qt::Alignment leftMiddle = Qt::AlignLeft | Qt::AlignVCenter;
  std::vector<TCaption> captions;
  if (auto* label = qobject_cast<const QLabel*>(&w)) {
    captions.push_back({&w, label->text(), label->contentsRect(), label->alignment()});
  } else if (auto* b = qobject_cast<const QAbstractButton*>(&w)) {
    QStyleOptionButton o;
    o.initFrom(b);
    o.text = b->text();
    const bool push = qobject_cast<const QPushButton*>(b) != nullptr;
    const auto contents = push                                   ? QStyle::SE_PushButtonContents
                          : qobject_cast<const QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                                                 : QStyle::SE_CheckBoxContents;
    captions.push_back(
        {&w, b->text(), style.subElementRect(contents, &o, b), push ? Qt::AlignCenter : leftMiddle});
  } else if (auto* box = qobject_cast<const QComboBox*>(&w)) {
    QStyleOptionComboBox o;
    o.initFrom(box);
    o.frame = box->hasFrame();
    const QRect field = style.subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, box);
    for (int i = 0; i < box->count(); ++i) captions.push_back({&w, box->itemText(i), field, leftMiddle});
  } else if (auto* tabs = qobject_cast<const QTabBar*>(&w)) {
    for (int i = 0; i < tabs->count(); ++i)
      captions.push_back({&w, tabs->tabText(i), tabs->tabRect(i) & w.rect(), Qt::AlignCenter});
  } else if (auto* ruled = qobject_cast<const TCustomDVLabel*>(&w)) {
    const TLabelLayout layout = LayoutLabel(ruled->Geometry(), ruled->RowExtents(), w.width());
    for (qsizetype i = 0; i < ruled->Lines().size(); ++i) {
      const TRowPlace& row = layout.rows[static_cast<std::size_t>(i)];
      captions.push_back({&w, ruled->Lines()[i], QRect(row.x, row.y, w.width() - row.x, w.height() - row.y),
                          Qt::AlignLeft | Qt::AlignTop});
    }
  }
  std::erase_if(captions, [](const TCaption& c) { return c.text.trimmed().isEmpty(); });
  return captions;
}

// What a neighbour covers on its page: a label its text, any other control its whole rectangle.
QRectF Covered(const QWidget& w) {
  if (!qobject_cast<const QLabel*>(&w)) return QRectF(w.geometry());
  QRectF covered;
  for (const TCaption& c : CaptionsOf(w)) covered |= Ink(c).translated(w.pos());
  return covered;
}

QRectF Loose(const QRect& r) {
  return QRectF(r).adjusted(-kTolerance, -kTolerance, kTolerance, kTolerance);
}

std::string Describe(const TCaption& c, const QRectF& ink) {
  QString text;
  QDebug(&text).noquote() << c.control->objectName() << c.text << "in"
                          << QFontInfo(c.control->font()).family() << "glyphs" << ink << "box" << c.box;
  return text.toStdString();
}

// Every caption of every control on show: inside its box, on its page, clear of the other controls there.
// The pictures and the bevel are background: the letters R, D and C sit on the cutter's picture.
void ExpectCaptionsOnShowFit(const QWidget& window) {
  const auto shown = [](const QWidget* w) {
    return w->isVisible() && !qobject_cast<const TImage*>(w) && !qobject_cast<const TBevel*>(w);
  };
  for (const QWidget* w : window.findChildren<QWidget*>()) {
    if (!shown(w)) continue;
    const QWidget& page = *w->parentWidget();
    for (const TCaption& c : CaptionsOf(*w)) {
      const QRectF ink = Ink(c);
      EXPECT_TRUE(Loose(c.box).contains(ink)) << "cut: " << Describe(c, ink);
      const QRectF onPage = ink.translated(w->pos());
      EXPECT_TRUE(Loose(page.rect()).contains(onPage)) << "off its page: " << Describe(c, ink);
      for (const QWidget* other : page.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == w || !shown(other)) continue;
        EXPECT_FALSE(onPage.intersects(Covered(*other).adjusted(-kGap, -kGap, kGap, kGap)))
            << Describe(c, ink) << " runs into " << other->objectName().toStdString();
      }
    }
  }
}

struct TPackCase {
  const char* name;
  const char* pack;  // as Skimplane.ini names it; "": the built-in Simplified Chinese
};

void PrintTo(const TPackCase& c, std::ostream* os) {
  *os << c.name;
}

class CaptionFit : public ::testing::TestWithParam<TPackCase> {};

TEST_P(CaptionFit, EveryCaptionFitsItsControlOnEveryPage) {
  TProgram p;
  const std::unique_ptr<TfrmSkimplane> form = p.StartInPack(GetParam().pack);
  ASSERT_TRUE(p.log.errors.empty()) << p.log.errors.front().text.toStdString();
  form->show();
  for (int i = 0; i < form->PageControl1->PageCount(); ++i) {
    form->PageControl1->SetActivePageIndex(i);
    QApplication::processEvents();
    SCOPED_TRACE(form->PageControl1->Page(i)->objectName().toStdString());
    ExpectCaptionsOnShowFit(*form);
  }
}

INSTANTIATE_TEST_SUITE_P(Packs, CaptionFit,
                         ::testing::Values(TPackCase{"Simplified", ""},
                                           TPackCase{"English", "packs\\English.lng"},
                                           TPackCase{"Traditional", "packs\\Chinese-Traditional.lng"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
