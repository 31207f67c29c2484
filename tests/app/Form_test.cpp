#include "app/Skimplane_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "AppTestSeams.h"
#include "TempDir.h"
#include "app/Application.h"
#include "app/Skin.h"
#include "dvTools/dvError.h"
#include "toolpath/FacingJob.h"

namespace fs = std::filesystem;

namespace {

QString U16(const char16_t* s) {
  return QString::fromUtf16(s);
}

struct TControlRow {
  const char* name;
  const char* kind;              // class name
  const char* page;              // objectName of the parent page, "" for the window itself
  int left, top, width, height;  // width/height 0: the size of the caption (labels size themselves)
  const char16_t* caption;       // nullptr: no caption to check
  double value;                  // spin edits: initial value; buttons: 1 checked, 0 not
  int tag;
  int tabOrder;  // -1: not in the tab order
};

// The window's controls as the machinist's form describes them.
const TControlRow kControls[] = {
    {"btnClose", "QPushButton", "", 376, 372, 75, 25, u"\u5173\u95ed", 0, 0, 0},
    {"btnGenerate", "QPushButton", "", 280, 372, 75, 25, u"\u751f\u6210", 0, 0, 1},
    {"PageControl1", "TPageControl", "", 8, 12, 445, 349, nullptr, 0, 0, 2},
    // page 0
    {"Image2", "TImage", "tabFace", 44, 28, 247, 224, nullptr, 0, 0, -1},
    {"Label1", "TLabel", "tabFace", 256, 84, 0, 0, u"\u957f\u5ea6\uff1a", 0, 9, -1},
    {"edtYPos", "TSpinEdit", "tabFace", 256, 104, 81, 0, nullptr, 200, 0, 0},
    {"Label39", "TLabel", "tabFace", 344, 108, 0, 0, u"mm", 0, 0, -1},
    {"Label2", "TLabel", "tabFace", 244, 132, 0, 0, u"* Y\u8f74\u65b9\u5411\uff0c\u5411\u524d", 0, 9, -1},
    {"Label3", "TLabel", "tabFace", 84, 236, 0, 0, u"\u5bbd\u5ea6\uff1a", 0, 9, -1},
    {"edtXPos", "TSpinEdit", "tabFace", 84, 256, 81, 0, nullptr, 150, 0, 1},
    {"Label49", "TLabel", "tabFace", 172, 260, 0, 0, u"mm", 0, 0, -1},
    {"Label4", "TLabel", "tabFace", 68, 284, 0, 0, u"* X\u8f74\u65b9\u5411\uff0c\u5411\u53f3", 0, 9, -1},
    // page 1
    {"Image3", "TImage", "tabKnit", 28, 32, 129, 194, nullptr, 0, 0, -1},
    {"Label5", "TLabel", "tabKnit", 196, 36, 0, 0, u"\u76f4\u5f84(R)\uff1a", 0, 9, -1},
    {"edtKnit", "TSpinEdit", "tabKnit", 272, 32, 81, 0, nullptr, 6, 0, 0},
    {"Label97", "TLabel", "tabKnit", 360, 36, 0, 0, u"mm", 0, 0, -1},
    {"Label7", "TLabel", "tabKnit", 196, 80, 0, 0, u"\u4e0b\u5200(D)\uff1a", 0, 9, -1},
    {"edtZPos", "TSpinEdit", "tabKnit", 272, 76, 81, 0, nullptr, 1, 0, 1},
    {"Label88", "TLabel", "tabKnit", 360, 80, 0, 0, u"mm", 0, 0, -1},
    {"Label8", "TLabel", "tabKnit", 196, 124, 0, 0, u"\u62ac\u5200(U)\uff1a", 0, 9, -1},
    {"edtZUp", "TSpinEdit", "tabKnit", 272, 120, 81, 0, nullptr, 2, 0, 2},
    {"Label229", "TLabel", "tabKnit", 360, 124, 0, 0, u"mm", 0, 0, -1},
    {"opnZUpRel", "QRadioButton", "tabKnit", 272, 156, 77, 17, u"\u76f8\u5bf9\u4f4d\u7f6e", 1, 0, 3},
    {"opnZUpAbs", "QRadioButton", "tabKnit", 272, 188, 81, 17, u"\u7edd\u5bf9\u4f4d\u7f6e", 0, 0, 4},
    {"Image4", "TImage", "tabKnit", 16, 232, 139, 69, nullptr, 0, 0, -1},
    {"Label6", "TLabel", "tabKnit", 196, 256, 0, 0, u"\u91cd\u53e0(C)\uff1a", 0, 9, -1},
    {"edtCross", "TSpinEdit", "tabKnit", 272, 252, 81, 0, nullptr, 0.5, 0, 5},
    {"Label98", "TLabel", "tabKnit", 360, 256, 0, 0, u"mm", 0, 0, -1},
    {"Label16", "TLabel", "tabKnit", 96, 204, 0, 0, u"R", 0, 0, -1},
    {"Label19", "TLabel", "tabKnit", 36, 156, 0, 0, u"D", 0, 0, -1},
    {"Label23", "TLabel", "tabKnit", 88, 300, 0, 0, u"C", 0, 0, -1},
    // page 2
    {"Label10", "TLabel", "tabOption", 20, 36, 0, 0, u"\u4e3b\u8f74(S)\uff1a", 0, 9, -1},
    {"edtSpeed", "TSpinEdit", "tabOption", 88, 32, 81, 0, nullptr, 5000, 0, 0},
    {"Label14", "TLabel", "tabOption", 176, 36, 0, 0, u"\u8f6c", 0, 9, -1},
    {"Label11", "TLabel", "tabOption", 232, 36, 0, 0, u"\u7ed9\u8fdb(F)\uff1a", 0, 9, -1},
    {"edtFro", "TSpinEdit", "tabOption", 292, 32, 81, 0, nullptr, 120, 0, 1},
    {"Label129", "TLabel", "tabOption", 380, 36, 0, 0, u"FRO", 0, 0, -1},
    {"Label12", "TLabel", "tabOption", 20, 76, 0, 0, u"\u4f5c\u4e1a\u65b9\u5f0f\uff1a", 0, 9, -1},
    {"Image5", "TImage", "tabOption", 32, 100, 96, 96, nullptr, 0, 0, -1},
    {"Image6", "TImage", "tabOption", 172, 100, 96, 96, nullptr, 0, 0, -1},
    {"Image7", "TImage", "tabOption", 316, 100, 96, 96, nullptr, 0, 0, -1},
    {"opnDelta", "QRadioButton", "tabOption", 28, 208, 101, 17, u"\u87ba\u65cb\u6e05\u626b", 1, 0, 2},
    {"opnXArrow", "QRadioButton", "tabOption", 172, 208, 97, 17, u"\u6a2a\u5411\u6e05\u626b", 0, 0, 3},
    {"opnYArrow", "QRadioButton", "tabOption", 316, 208, 97, 17, u"\u7eb5\u5411\u6e05\u626b", 0, 0, 4},
    {"Label9", "TLabel", "tabOption", 28, 252, 0, 0, u"\u5206\u5c42(L)\uff1a", 0, 9, -1},
    {"edtLayer", "TSpinEdit", "tabOption", 96, 248, 81, 0, nullptr, 1, 0, 5},
    {"Label13", "TLabel", "tabOption", 184, 252, 0, 0, u"\u5c42", 0, 9, -1},
    {"chkClearEnd", "QCheckBox", "tabOption", 224, 248, 197, 17,
     u"\u6e05\u9664\u6e05\u626b\u540e\u7684\u53ef\u80fd\u7684\u6b8b\u7559\u8fb9\u7f18", 1, 0, 6},
    // page 3, the machining options, is the window's own design: its table in the window is the one
    // owner, and the caption-width test and the screenshots hold its look.
    // page 4
    {"Image1", "TImage", "tabAbout", 46, 32, 132, 130, nullptr, 0, 0, -1},
    {"lblVersion", "TLabel", "tabAbout", 202, 48, 0, 0, u"Skimplane v1.3", 0, 0, -1},
    {"Label28", "TLabel", "tabAbout", 202, 72, 0, 0, nullptr, 0, 0, -1},
    {"Label29", "TLabel", "tabAbout", 202, 96, 0, 0, nullptr, 0, 0, -1},
    {"Label30", "TLabel", "tabAbout", 202, 120, 0, 0, u"Last Update 2011-05-04", 0, 0, -1},
    {"lblLangPack", "TLabel", "tabAbout", 202, 144, 0, 0, u"LangPack: tarel.qo", 0, 0, -1},
    {"Bevel1", "TBevel", "tabAbout", 20, 184, 397, 10, nullptr, 0, 0, -1},
    {"ZQLabel1", "TZQLabel", "tabAbout", 24, 208, 393, 109, nullptr, 0, 0, -1},
};

class FormTest : public ::testing::Test {
 protected:
  TSeamLog log;
  std::unique_ptr<TfrmSkimplane> form = CreateMainWindow(TestSeams(log));

  template <typename T = QWidget>
  T* Find(const char* name) {
    return form->findChild<T*>(QLatin1String(name));
  }
};

QString CaptionOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  return {};
}

}  // namespace

TEST_F(FormTest, WindowAsDesigned) {
  EXPECT_EQ(form->objectName(), QStringLiteral("frmSkimplane"));
  EXPECT_EQ(form->size(), QSize(463, 408));
  EXPECT_EQ(form->pos(), QPoint(500, 214));
  EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Skimplane v1.3 - ")));
  EXPECT_TRUE(form->windowTitle().endsWith(QStringLiteral("Special edition")));
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_EQ(form->font().family(), U16(u"\u5b8b\u4f53"));
  EXPECT_EQ(form->font().pixelSize(), 13);
  EXPECT_FALSE(form->windowIcon().isNull());
  EXPECT_EQ(form->layout(), nullptr);  // nothing is anchored or stretched
}

TEST_F(FormTest, PagesInOrderWithTheirClientArea) {
  form->show();
  auto* pc = form->PageControl1;
  const struct {
    const char* name;
    const char16_t* caption;
  } rows[] = {{"tabFace", u"\u6750\u8d28\u5e73\u9762"},
              {"tabKnit", u"\u94e3\u5200\u9009\u9879"},
              {"tabOption", u"\u8fd0\u52a8\u9009\u9879"},
              {"tabMachining", u"\u52a0\u5de5\u9009\u9879"},
              {"tabAbout", u"\u5173\u4e8e"}};
  ASSERT_EQ(pc->PageCount(), 5);
  for (int i = 0; i < 5; ++i) {
    TTabSheet* page = pc->Page(i);
    EXPECT_EQ(page->objectName(), QLatin1String(rows[i].name));
    EXPECT_EQ(page->Caption(), U16(rows[i].caption));
    EXPECT_EQ(pc->TabBar()->tabText(i), U16(rows[i].caption));
    pc->SetActivePageIndex(i);
    EXPECT_EQ(page->mapTo(pc, QPoint(0, 0)), QPoint(2, 25)) << rows[i].name;
    EXPECT_EQ(page->size(), QSize(441, 322)) << rows[i].name;
  }
  // Tabs run along the top, above the pages.
  EXPECT_EQ(pc->TabBar()->shape(), QTabBar::RoundedNorth);
  EXPECT_LE(pc->TabBar()->geometry().bottom(), 25);
  // An index outside the pages leaves none active; a caption set on a page shows on its tab.
  pc->SetActivePageIndex(5);
  EXPECT_EQ(pc->ActivePageIndex(), -1);
  EXPECT_EQ(pc->ActivePage(), nullptr);
  pc->Page(4)->SetCaption(QStringLiteral("About"));
  EXPECT_EQ(pc->TabBar()->tabText(4), QStringLiteral("About"));
}

TEST_F(FormTest, EveryControlAsDesigned) {
  for (const auto& r : kControls) {
    SCOPED_TRACE(r.name);
    QWidget* w = Find(r.name);
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->metaObject()->className(), r.kind);
    QWidget* expectedParent = *r.page ? static_cast<QWidget*>(Find<TTabSheet>(r.page)) : form.get();
    EXPECT_EQ(w->parentWidget(), expectedParent);
    EXPECT_EQ(w->pos(), QPoint(r.left, r.top));
    if (auto* label = qobject_cast<TLabel*>(w)) {
      EXPECT_EQ(w->size(), label->TextExtent());  // labels size themselves to their caption
    } else {
      EXPECT_EQ(w->width(), r.width);
      EXPECT_EQ(w->height(), r.height ? r.height : w->sizeHint().height());
    }
    if (r.caption) {
      EXPECT_EQ(CaptionOf(w), U16(r.caption));
    }
    EXPECT_EQ(w->property("Tag").toInt(), r.tag);
    if (auto* spin = qobject_cast<TSpinEdit*>(w)) {
      EXPECT_EQ(spin->Value(), r.value);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable()) {
      EXPECT_EQ(button->isChecked(), r.value != 0);
    }
    if (r.tabOrder >= 0) {
      EXPECT_EQ(w->property("TabOrder").toInt(), r.tabOrder);
    }
  }
  // Exactly the labels of the table carry Tag 9.
  int translatable = 0;
  for (TLabel* l : form->findChildren<TLabel*>()) translatable += l->property("Tag").toInt() == 9;
  EXPECT_EQ(translatable, 24);
}

TEST_F(FormTest, SpinEditsTypesStepsAndLargeSteps) {
  const struct {
    const char* name;
    TSpinEdit::TValueType type;
    double step, large;
  } rows[] = {
      {"edtXPos", TSpinEdit::TValueType::vtFloat, 10, 100},
      {"edtYPos", TSpinEdit::TValueType::vtFloat, 10, 100},
      {"edtKnit", TSpinEdit::TValueType::vtFloat, 1, 10},
      {"edtZPos", TSpinEdit::TValueType::vtFloat, 0.1, 10},
      {"edtZUp", TSpinEdit::TValueType::vtFloat, 0.1, 10},
      {"edtCross", TSpinEdit::TValueType::vtFloat, 0.1, 10},
      {"edtSpeed", TSpinEdit::TValueType::vtInteger, 100, 1000},
      {"edtFro", TSpinEdit::TValueType::vtInteger, 10, 100},
      {"edtLayer", TSpinEdit::TValueType::vtInteger, 1, 10},
  };
  for (const auto& r : rows) {
    auto* spin = Find<TSpinEdit>(r.name);
    ASSERT_NE(spin, nullptr) << r.name;
    EXPECT_EQ(spin->ValueType(), r.type) << r.name;
    EXPECT_EQ(spin->Increment(), r.step) << r.name;
    EXPECT_EQ(spin->LargeIncrement(), r.large) << r.name;
    EXPECT_EQ(spin->width(), 81) << r.name;
    // No lower limit: -5 is an ordinary entry.
    spin->SetValue(-5);
    EXPECT_EQ(spin->Value(), -5) << r.name;
  }
}

TEST_F(FormTest, LabelLooks) {
  const struct {
    const char* name;
    bool bold;
    QRgb colour;
    bool opaque;
  } rows[] = {
      {"Label1", false, qRgb(0, 0, 0), false},       {"Label2", false, qRgb(128, 128, 128), false},
      {"Label4", false, qRgb(128, 128, 128), false}, {"Label16", true, qRgb(0, 0, 0), false},
      {"Label19", true, qRgb(0, 0, 0), false},       {"Label23", true, qRgb(0, 0, 0), false},
      {"Label13", false, qRgb(0, 0, 0), true},       {"Label14", false, qRgb(0, 0, 0), false},
  };
  for (const auto& r : rows) {
    auto* l = Find<TLabel>(r.name);
    ASSERT_NE(l, nullptr) << r.name;
    EXPECT_EQ(l->font().bold(), r.bold) << r.name;
    EXPECT_EQ(l->font().pixelSize(), 13) << r.name;
    EXPECT_EQ(l->palette().color(QPalette::WindowText).rgb(), r.colour) << r.name;
    EXPECT_EQ(l->autoFillBackground(), r.opaque) << r.name;
  }
  EXPECT_EQ(Find<TLabel>("Label13")->palette().color(QPalette::Window), ButtonFaceColor());
}

TEST_F(FormTest, CaptionsNeverTurnIntoBoxes) {
  // Whatever font "宋体" lands on must hold every character of every caption.
  const QFontInfo info(form->font());
  EXPECT_TRUE(QFontDatabase::writingSystems(info.family()).contains(QFontDatabase::SimplifiedChinese))
      << info.family().toStdString();
  for (QWidget* w : form->findChildren<QWidget*>()) {
    const QString caption = CaptionOf(w);
    const QFontMetrics fm(w->font());
    for (const char32_t c : caption.toUcs4())
      EXPECT_TRUE(fm.inFontUcs4(c)) << w->objectName().toStdString() << " U+" << std::hex << unsigned(c);
  }
}

TEST_F(FormTest, PicturesAtTheirOwnSize) {
  form->show();
  for (const char* name : {"Image1", "Image2", "Image3", "Image4", "Image5", "Image6", "Image7"}) {
    auto* image = Find<TImage>(name);
    ASSERT_NE(image, nullptr) << name;
    EXPECT_FALSE(image->Picture().isNull()) << name;
    EXPECT_EQ(image->Picture().size(), image->size()) << name;
    EXPECT_EQ(image->Transparent(), std::string(name) == "Image3") << name;
  }
  // The cutter diagram's white is not painted: the page shows through at its bottom-left pixel, while
  // the face diagram's ground is the page's own content colour.
  form->PageControl1->SetActivePageIndex(1);
  const QImage knit = form->tabKnit->grab().toImage();
  EXPECT_EQ(knit.pixelColor(28, 32 + 193).rgb(), ContentColor().rgb());
  const QImage cutter = Find<TImage>("Image3")->Picture().toImage();
  EXPECT_EQ(cutter.pixelColor(0, 193).rgb(), qRgb(255, 255, 255));
  const QImage face = Find<TImage>("Image2")->Picture().toImage();
  EXPECT_EQ(face.pixelColor(0, 0).rgb(), qRgb(243, 245, 247));
}

TEST_F(FormTest, RadioGroupsAreIndependent) {
  form->show();
  // The machining page holds two groups of its own: the entry and the cut direction.
  const struct {
    int page;
    const char* click;
    std::vector<const char*> checked;
  } rows[] = {
      {1, "opnZUpAbs", {"opnZUpAbs", "opnDelta", "opnPlunge", "opnBothWays"}},
      {2, "opnYArrow", {"opnZUpAbs", "opnYArrow", "opnPlunge", "opnBothWays"}},
      {3, "opnRamp", {"opnZUpAbs", "opnYArrow", "opnRamp", "opnBothWays"}},
      {3, "opnClimb", {"opnZUpAbs", "opnYArrow", "opnRamp", "opnClimb"}},
      {2, "opnXArrow", {"opnZUpAbs", "opnXArrow", "opnRamp", "opnClimb"}},
      {3, "opnConventional", {"opnZUpAbs", "opnXArrow", "opnRamp", "opnConventional"}},
      {3, "opnPlunge", {"opnZUpAbs", "opnXArrow", "opnPlunge", "opnConventional"}},
      {1, "opnZUpRel", {"opnZUpRel", "opnXArrow", "opnPlunge", "opnConventional"}},
      {2, "opnDelta", {"opnZUpRel", "opnDelta", "opnPlunge", "opnConventional"}},
  };
  const char* radios[] = {"opnZUpRel", "opnZUpAbs", "opnDelta",    "opnXArrow", "opnYArrow",
                          "opnPlunge", "opnRamp",   "opnBothWays", "opnClimb",  "opnConventional"};
  for (const auto& r : rows) {
    form->PageControl1->SetActivePageIndex(r.page);
    auto* button = Find<QRadioButton>(r.click);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    for (const char* name : radios) {
      const bool expected = std::find_if(r.checked.begin(), r.checked.end(), [&](const char* c) {
                              return std::string(c) == name;
                            }) != r.checked.end();
      EXPECT_EQ(Find<QRadioButton>(name)->isChecked(), expected) << r.click << " -> " << name;
    }
  }
}

// The ramp angle is open only with ramp entry, the finishing feed only with a finishing depth; a closed
// entry keeps its value, and the job still carries it.
TEST_F(FormTest, MachiningEntriesAreOpenOnlyWhileTheJobUsesThem) {
  form->edtRampAngle->SetValue(7.5);
  form->edtFinishFeed->SetValue(60);
  const struct {
    const char* what;
    std::function<void(TfrmSkimplane&)> enter;
    bool rampAngle, finishFeed;
  } rows[] = {
      {"as the window opens", [](TfrmSkimplane&) {}, false, false},
      {"ramp entry", [](TfrmSkimplane& f) { f.opnRamp->click(); }, true, false},
      {"a finishing depth", [](TfrmSkimplane& f) { f.edtFinishDepth->SetValue(0.2); }, true, true},
      {"a negative finishing depth", [](TfrmSkimplane& f) { f.edtFinishDepth->SetValue(-0.2); }, true, false},
      {"plunge again", [](TfrmSkimplane& f) { f.opnPlunge->click(); }, false, false},
      {"a settings file's job",
       [](TfrmSkimplane& f) {
         TJobEntries e;
         e.Entry = kEntryRamp, e.RampAngle = 7.5, e.FinishDepth = 1, e.FinishFeed = 60;
         f.SetJobEntries(e);
       },
       true, true},
  };
  for (const auto& r : rows) {
    r.enter(*form);
    EXPECT_EQ(form->edtRampAngle->isEnabled(), r.rampAngle) << r.what;
    EXPECT_EQ(form->edtFinishFeed->isEnabled(), r.finishFeed) << r.what;
    const TJobEntries e = form->ReadJobEntries();
    EXPECT_EQ(e.RampAngle, 7.5) << r.what;
    EXPECT_EQ(e.FinishFeed, 60) << r.what;
  }
}

// The step-over is the overlap in percent of the diameter: typing it sets the overlap as skimplane-cli's
// --stepover does, and a new overlap or diameter shows in it. Typing it is never interrupted by its own
// answer coming back.
TEST_F(FormTest, TheStepOverAndTheOverlapFollowEachOther) {
  const struct {
    const char* what;
    std::function<void(TfrmSkimplane&)> enter;
    double overlap, stepover;
  } rows[] = {
      {"as the window opens", [](TfrmSkimplane&) {}, 0.5, (6 - 0.5) / 6 * 100},
      {"a step-over typed",
       [](TfrmSkimplane& f) {
         QLineEdit* text = f.edtStepover->findChild<QLineEdit*>();
         text->selectAll();
         QTest::keyClicks(text, QStringLiteral("80"));
         EXPECT_EQ(text->text(), QStringLiteral("80"));
       },
       6 - 6 * 80.0 / 100, 80},
      {"an overlap", [](TfrmSkimplane& f) { f.edtCross->SetValue(1.5); }, 1.5, (6 - 1.5) / 6 * 100},
      {"a diameter", [](TfrmSkimplane& f) { f.edtKnit->SetValue(10); }, 1.5, (10 - 1.5) / 10 * 100},
      {"a step-over stepped", [](TfrmSkimplane& f) { f.edtStepover->SetValue(50); }, 5, 50},
      {"a diameter of zero leaves the step-over as it was", [](TfrmSkimplane& f) { f.edtKnit->SetValue(0); },
       5, 50},
  };
  for (const auto& r : rows) {
    r.enter(*form);
    EXPECT_EQ(form->edtCross->Value(), r.overlap) << r.what;
    EXPECT_EQ(form->edtStepover->Value(), r.stepover) << r.what;
    EXPECT_EQ(form->ReadJobEntries().Cross, r.overlap) << r.what;
  }
}

TEST_F(FormTest, KeyboardFocusFollowsEachParentsTabOrder) {
  const std::vector<const char*> expected = {
      "btnClose",   "btnGenerate",     "edtYPos",        "edtXPos",       "edtKnit",      "edtZPos",
      "edtZUp",     "opnZUpRel",       "opnZUpAbs",      "edtCross",      "edtSpeed",     "edtFro",
      "opnDelta",   "opnXArrow",       "opnYArrow",      "edtLayer",      "chkClearEnd",  "cmbController",
      "edtOvercut", "edtStepover",     "opnPlunge",      "opnRamp",       "edtRampAngle", "opnBothWays",
      "opnClimb",   "opnConventional", "edtFinishDepth", "edtFinishFeed", "edtDwell"};
  std::vector<std::string> seen;
  QWidget* w = form->btnClose;
  for (int guard = 0; guard < 500 && seen.size() < expected.size(); ++guard) {
    // The focus chain runs through the spin edits' inner line edits; name each control once.
    if (w->property("TabOrder").isValid() && w != form->PageControl1 &&
        (seen.empty() || seen.back() != w->objectName().toStdString()))
      seen.push_back(w->objectName().toStdString());
    w = w->nextInFocusChain();
  }
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(seen[i], expected[i]) << i;
}

TEST_F(FormTest, FormCreateActivatesFirstPageAndColoursTheAboutTextBeforeTheSettings) {
  form->PageControl1->SetActivePageIndex(2);
  int pageWhenLoading = -1;
  QColor colourWhenLoading;
  auto seams = TestSeams(log);
  seams.LoadSettings = [&](TfrmSkimplane& f) {
    log.steps.push_back("load");
    pageWhenLoading = f.PageControl1->ActivePageIndex();
    colourWhenLoading = f.ZQLabel1->Color();
  };
  seams.SaveSettings = [&](TfrmSkimplane& f) {
    log.steps.push_back("save");
    EXPECT_EQ(f.edtXPos->Value(), 150);  // every control still holds its value
  };
  form = BuildMainWindow(seams);
  form->PageControl1->SetActivePageIndex(4);
  form->FormCreate();
  EXPECT_EQ(pageWhenLoading, 0);
  EXPECT_EQ(colourWhenLoading, ContentColor());
  EXPECT_EQ(ContentColor(), QColor(243, 245, 247));
  EXPECT_EQ(log.steps, (std::vector<std::string>{"load"}));
  // Closing saves nothing; destroying the window does, once.
  form->show();
  form->btnCloseClick();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(log.steps, (std::vector<std::string>{"load"}));
  form->FormDestroy();
  form.reset();
  EXPECT_EQ(log.steps, (std::vector<std::string>{"load", "save"}));
  EXPECT_TRUE(log.errors.empty());
}

TEST_F(FormTest, HandlerErrorsGoToTheErrorBoxAndTheProgramGoesOn) {
  const struct {
    const char* executable;
    const char* loadError;  // nullptr: none
    const char* saveError;
    std::vector<std::pair<const char*, const char*>> boxes;  // title, text
  } rows[] = {
      {"/opt/bin/skimplane",
       "'abc' is not a valid floating point value",
       nullptr,
       {{"Skimplane", "'abc' is not a valid floating point value."}}},
      {"/opt/bin/SKIMPLANE.EXE",
       "RootKey \"Option\" - subitem key not open.",
       "RootKey \"Option\" - subitem key not open.",
       {{"Skimplane", "RootKey \"Option\" - subitem key not open."},
        {"Skimplane", "RootKey \"Option\" - subitem key not open."}}},
      {"/opt/bin/facer.v2",
       nullptr,
       "Cannot create file \"/opt/bin/Skimplane.ini\". Permission denied",
       {{"Facer", "Cannot create file \"/opt/bin/Skimplane.ini\". Permission denied."}}},
  };
  for (const auto& r : rows) {
    TSeamLog rowLog;
    rowLog.executable = QString::fromLatin1(r.executable);
    auto seams = TestSeams(rowLog);
    seams.LoadSettings = [&](TfrmSkimplane& f) {
      f.edtXPos->SetValue(33);  // what ran before the error stays done
      if (r.loadError) throw EDVError(r.loadError);
      f.edtYPos->SetValue(44);
    };
    seams.SaveSettings = [&](TfrmSkimplane&) {
      if (r.saveError) throw EDVError(r.saveError);
    };
    auto f = CreateMainWindow(seams);
    EXPECT_EQ(f->PageControl1->ActivePageIndex(), 0);
    EXPECT_EQ(f->edtXPos->Value(), 33);
    EXPECT_EQ(f->edtYPos->Value(), r.loadError ? 200 : 44);
    EXPECT_TRUE(f->btnGenerate->isEnabled());
    f.reset();
    ASSERT_EQ(rowLog.errors.size(), r.boxes.size()) << r.executable;
    for (size_t i = 0; i < r.boxes.size(); ++i) {
      EXPECT_EQ(rowLog.errors[i].title, QString::fromUtf8(r.boxes[i].first));
      EXPECT_EQ(rowLog.errors[i].text, QString::fromUtf8(r.boxes[i].second));
    }
  }
}

TEST_F(FormTest, ButtonFrameAndKeyboardCloseTheWindowAlike) {
  const struct {
    const char* way;
    std::function<void(TfrmSkimplane&)> close;
  } rows[] = {
      {"button", [](TfrmSkimplane& f) { QTest::mouseClick(f.btnClose, Qt::LeftButton); }},
      {"frame", [](TfrmSkimplane& f) { f.close(); }},
      {"Alt+F4", [](TfrmSkimplane& f) { QTest::keyClick(&f, Qt::Key_F4, Qt::AltModifier); }},
      {"Close key", [](TfrmSkimplane& f) { QTest::keySequence(&f, QKeySequence(QKeySequence::Close)); }},
  };
  for (const auto& r : rows) {
    TSeamLog rowLog;
    auto seams = TestSeams(rowLog);
    seams.SaveSettings = [&](TfrmSkimplane&) { rowLog.steps.push_back("save"); };
    auto f = BuildMainWindow(seams);
    f->show();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.get()));
    r.close(*f);
    EXPECT_FALSE(f->isVisible()) << r.way;
    EXPECT_TRUE(rowLog.steps.empty()) << r.way;
    f.reset();
    EXPECT_EQ(rowLog.steps, (std::vector<std::string>{"save"})) << r.way;
  }
}

TEST(FormPosition, TheWindowReopensWhereItWasClosed) {
  TempDir dir;
  TSeamLog log;
  log.executable = QString::fromStdString((dir / "skimplane").string());
  const struct {
    QPoint moveTo;  // where the user leaves the window; the next run opens there
  } rows[] = {{QPoint(120, 90)}, {QPoint(300, 40)}};
  QPoint expectedOpen(500, 214);
  for (const auto& r : rows) {
    auto form = CreateMainWindow(TestSeams(log));
    EXPECT_EQ(form->DVWinPos1->objectName(), QStringLiteral("DVWinPos1"));
    EXPECT_EQ(form->pos(), expectedOpen);
    form->move(r.moveTo);
    form.reset();
    expectedOpen = r.moveTo;
  }
  EXPECT_TRUE(fs::exists(dir / "Skimplane.reg"));
  EXPECT_TRUE(log.errors.empty());
}
