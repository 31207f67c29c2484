// Working with the preview window opened from the real main window's button: zoom, pan, fit, Esc, the
// drawing following the entries, and the progress dialog's Cancel. Real key, mouse and wheel events.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>

#include "WorkedExample.h"
#include "app/AppTestSeams.h"
#include "app/Application.h"
#include "app/PreviewCanvas.h"
#include "app/PreviewPainter.h"
#include "app/PreviewTexts.h"
#include "app/PreviewWindow.h"
#include "app/Skimplane_form.h"

namespace {

class PreviewInteractionTest : public ::testing::Test {
 protected:
  TSeamLog log;
  // The window built as main() builds it.
  std::unique_ptr<TfrmSkimplane> form = CreateMainWindow(TestSeams(log));
  const TProgressOptions savedOptions = PreviewProgressDefaults();

  // Presses 预览 and gives the window a known size.
  TPreviewWindow* Open() {
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("btnPreview")), Qt::LeftButton);
    auto* w = form->findChild<TPreviewWindow*>(QStringLiteral("frmPreview"));
    if (w) {
      w->resize(1000, 700);
      QApplication::processEvents();
    }
    return w;
  }
};

void Wheel(QWidget* target, QPointF at, int delta) {
  QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

void ExpectNear(QPointF got, QPointF want, const std::string& what) {
  EXPECT_NEAR(got.x(), want.x(), 1e-6) << what;
  EXPECT_NEAR(got.y(), want.y(), 1e-6) << what;
}

// The wheel zooms about the pointer: the point of the drawing under it stays under it, at every place and
// in both directions; the zoom has its bounds.
TEST_F(PreviewInteractionTest, WheelZoomKeepsThePointUnderThePointer) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  TPreviewCanvas* canvas = w->Canvas;
  const struct {
    QPointF at;
    int delta;
    double zoom;  // after this step
  } rows[] = {
      {{100, 120}, 120, std::pow(2.0, 0.25)},
      {{300, 400}, 480, std::pow(2.0, 1.25)},
      {{50, 600}, -240, std::pow(2.0, 0.75)},
      {{canvas->width() - 5.0, 5}, -960, std::pow(2.0, -1.25)},
      {{200, 200}, -4800, TPreviewCanvas::kMinZoom},  // no smaller than a quarter
      {{200, 200}, 120 * 60, TPreviewCanvas::kMinZoom * std::pow(2.0, 15)},
  };
  for (const auto& r : rows) {
    const QPointF mm = canvas->Mapping().Scene(r.at);
    Wheel(canvas, r.at, r.delta);
    EXPECT_NEAR(canvas->Zoom(), r.zoom, 1e-9 * r.zoom) << r.delta;
    ExpectNear(canvas->Mapping().At(mm.x(), mm.y()), r.at, "zoom at " + std::to_string(r.at.x()));
  }
}

// A drag moves the drawing with the pointer; F or Home fits it to the window again, with or without the
// keypad; Ctrl+F does not.
TEST_F(PreviewInteractionTest, DragPansAndTheFitKeysRestore) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  TPreviewCanvas* canvas = w->Canvas;
  const TSceneMapping fitted = canvas->Mapping();
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool fits;
  } rows[] = {
      {Qt::Key_F, Qt::NoModifier, true},        {Qt::Key_Home, Qt::NoModifier, true},
      {Qt::Key_Home, Qt::KeypadModifier, true}, {Qt::Key_F, Qt::ShiftModifier, true},
      {Qt::Key_F, Qt::ControlModifier, false},  {Qt::Key_A, Qt::NoModifier, false},
  };
  for (const auto& r : rows) {
    Wheel(canvas, {250, 250}, 240);
    const QPointF from(200, 300), via(260, 280), to(330, 150);
    const QPointF mm = canvas->Mapping().Scene(from);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from.toPoint());
    QTest::mouseMove(canvas, via.toPoint());
    ExpectNear(canvas->Mapping().At(mm.x(), mm.y()), via, "dragging");
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, to.toPoint());
    ExpectNear(canvas->Mapping().At(mm.x(), mm.y()), to, "dropped");
    // Moving without a button pressed pans nothing.
    QTest::mouseMove(canvas, QPoint(20, 20));
    ExpectNear(canvas->Mapping().At(mm.x(), mm.y()), to, "moved without a button");

    QTest::keyClick(canvas, r.key, r.modifiers);
    const TSceneMapping now = canvas->Mapping();
    const bool fitted_again = now.Scale == fitted.Scale && now.Left == fitted.Left && now.Top == fitted.Top;
    EXPECT_EQ(fitted_again, r.fits) << QKeySequence(r.key | r.modifiers).toString().toStdString();
    EXPECT_EQ(canvas->Zoom() == 1, r.fits);
    canvas->FitToWindow();
  }
  EXPECT_TRUE(w->isVisible());
}

TEST_F(PreviewInteractionTest, EscClosesAndAClosedWindowFollowsNothing) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  QTest::keyClick(w->Canvas, Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  form->edtXPos->SetValue(100);
  EXPECT_FALSE(w->FollowPending());
  // Closed, it keeps neither the moves nor the drawing: their memory goes back.
  EXPECT_TRUE(w->Preview().Layers.empty());
  EXPECT_TRUE(w->Scene().Paths.empty() && w->Scene().Swept.empty());

  // Opened again it shows the entries as they are now, also with the keyboard's focus elsewhere.
  ASSERT_EQ(Open(), w);
  EXPECT_NE(w->Preview().Figures.Lines, 79u);
  w->edtRapidRate->setFocus();
  QTest::keyClick(w->edtRapidRate, Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
}

// Each kind of entry of the main window, changed with real events while the preview is open: the drawing,
// the figures and the extents follow once the changes pause, as the button would show them.
TEST_F(PreviewInteractionTest, TheDrawingFollowsEveryEntry) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  w->FollowDelayMs = 20;
  const struct {
    const char* name;
    std::function<void(TfrmSkimplane&)> change;
  } rows[] = {
      {"face X typed",
       [](TfrmSkimplane& f) {
         f.edtXPos->setFocus();
         QTest::keyClick(f.edtXPos, Qt::Key_A, Qt::ControlModifier);
         QTest::keyClicks(f.edtXPos, "96.5");
       }},
      {"diameter stepped with the arrow key",
       [](TfrmSkimplane& f) { QTest::keyClick(f.edtKnit, Qt::Key_Up); }},
      {"strategy along Y clicked", [](TfrmSkimplane& f) { QTest::mouseClick(f.opnYArrow, Qt::LeftButton); }},
      {"edge clean unticked", [](TfrmSkimplane& f) { QTest::mouseClick(f.chkClearEnd, Qt::LeftButton); }},
      {"layers typed",
       [](TfrmSkimplane& f) {
         QTest::keyClick(f.edtLayer, Qt::Key_A, Qt::ControlModifier);
         QTest::keyClicks(f.edtLayer, "3");
       }},
      {"absolute retract clicked", [](TfrmSkimplane& f) { QTest::mouseClick(f.opnZUpAbs, Qt::LeftButton); }},
      {"controller chosen", [](TfrmSkimplane& f) { f.cmbController->setCurrentIndex(3); }},
  };
  for (const auto& r : rows) {
    const QString before = w->lblFigures->text() + w->lblExtents->text();
    r.change(*form);
    EXPECT_TRUE(w->FollowPending()) << r.name;
    QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending() && !w->Busy(), 5000);
    const TToolpathPreview fresh = BuildPreview(CheckJob(form->ReadJobEntries()));
    EXPECT_EQ(w->Preview().Figures.Lines, fresh.Figures.Lines) << r.name;
    EXPECT_EQ(w->Preview().Figures.FeedLength, fresh.Figures.FeedLength) << r.name;
    const TFigureValues values =
        FigureValues(fresh.Figures, w->edtRapidRate->value(), BuildScene(fresh, 0, false).Uncut, 0);
    EXPECT_EQ(w->lblFigures->text(), PreviewFigureText(values)) << r.name;
    EXPECT_EQ(w->lblExtents->text(), PreviewExtentText(values)) << r.name;
    EXPECT_NE(w->lblFigures->text() + w->lblExtents->text(), before) << r.name;
    EXPECT_TRUE(w->lblStatus->text().isEmpty()) << r.name;
  }
  EXPECT_EQ(form->edtXPos->Value(), 96.5);
  EXPECT_EQ(w->Preview().Layers.size(), 3u);
  EXPECT_TRUE(log.errors.empty());
}

// Entries that cannot be cut while typing: said in the window in its language, no box; the drawing stays;
// once the job can be cut again the drawing follows and the words go.
TEST_F(PreviewInteractionTest, ARefusedEntryIsSaidInTheWindow) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  w->FollowDelayMs = 0;
  form->edtCross->SetValue(6);
  QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending(), 5000);
  EXPECT_TRUE(w->lblStatus->text().startsWith(QString::fromUtf8("步距（直径(R) - 重叠(C)）")))
      << w->lblStatus->text().toStdString();
  EXPECT_FALSE(w->lblStatus->isHidden());
  EXPECT_EQ(w->Preview().Figures.Lines, 79u);
  EXPECT_TRUE(log.errors.empty());

  form->edtCross->SetValue(1);
  QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending(), 5000);
  EXPECT_TRUE(w->lblStatus->text().isEmpty());
  EXPECT_TRUE(w->lblStatus->isHidden());
  EXPECT_NE(w->Preview().Figures.Lines, 79u);
}

// Where the cutter centre goes, in the window's words.
TEST(PreviewExtentText, RangesAndAProgramWithoutMoves) {
  TFigureValues plate =
      FigureValues(BuildPreview(CheckJob(Plate())).Figures, kDefaultRapidRate, TUncutArea{}, 0);
  TFigureValues none;
  EXPECT_EQ(PreviewExtentText(plate),
            QString::fromUtf8("刀具中心 X：3.000 至 17.000 mm\n刀具中心 Y：0.000 至 9.000 mm\n"
                              "刀具中心 Z：-2.000 至 2.000 mm"));
  EXPECT_EQ(PreviewExtentText(none), QString::fromUtf8("刀具中心 X：无移动"));
}

// A large job shows the progress dialog; Cancel stops it at once, leaves the drawing and figures of the
// job before, no dialog, no work and no change waiting; the window works on as before.
TEST_F(PreviewInteractionTest, CancelLeavesTheWindowAsItWasAndUsable) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  w->FollowDelayMs = 0;
  const QString figures = w->lblFigures->text();
  const double feed = w->Preview().Figures.FeedLength;
  const struct {
    const char* name;
    int cancelAtStep;  // 0: never
    bool shown;
  } rows[] = {
      {"cancel at the first update", 1, false},
      {"cancel later", 4, false},
      {"no cancel", 0, true},
  };
  for (const auto& r : rows) {
    int steps = 0;
    bool dialogSeen = false, busySeen = false;
    TProgressOptions& options = w->Progress;
    options.MinLines = 0;
    options.StepLines = 8;
    options.OnStep = [&](QProgressDialog& dialog) {
      ++steps;
      dialogSeen = dialogSeen || dialog.isVisible();
      busySeen = busySeen || w->Busy();
      if (steps == r.cancelAtStep) dialog.cancel();
    };
    form->edtYPos->SetValue(form->edtYPos->Value() + 10);
    QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending() && !w->Busy(), 5000);
    options = savedOptions;
    EXPECT_TRUE(dialogSeen) << r.name;
    EXPECT_TRUE(busySeen) << r.name;
    EXPECT_EQ(steps, r.cancelAtStep ? r.cancelAtStep : steps) << r.name;
    EXPECT_EQ(w->findChildren<QProgressDialog*>().size() + form->findChildren<QProgressDialog*>().size(), 0u)
        << r.name;
    EXPECT_EQ(w->Preview().Figures.FeedLength != feed, r.shown) << r.name;
    EXPECT_EQ(w->lblFigures->text() == figures, !r.shown) << r.name;
    EXPECT_EQ(w->lblStatus->text().isEmpty(), r.shown) << r.name;
    // Nothing goes on behind: no change waits, and events change nothing.
    QTest::qWait(50);
    EXPECT_FALSE(w->FollowPending()) << r.name;
    EXPECT_EQ(w->lblFigures->text() == figures, !r.shown) << r.name;
    // The window still zooms and closes with its keys.
    Wheel(w->Canvas, {100, 100}, 120);
    EXPECT_GT(w->Canvas->Zoom(), 1) << r.name;
    QTest::keyClick(w->Canvas, Qt::Key_F);
    EXPECT_EQ(w->Canvas->Zoom(), 1) << r.name;
  }
  // A job below the threshold gets no dialog.
  int steps = 0;
  w->Progress.OnStep = [&](QProgressDialog&) { ++steps; };
  form->edtYPos->SetValue(120);
  QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending() && !w->Busy(), 5000);
  EXPECT_EQ(steps, 0);
  EXPECT_TRUE(log.errors.empty());
}

// An entry changed while a job is being built: the job is not started again inside itself, and the change
// is drawn once the job is done.
TEST_F(PreviewInteractionTest, AChangeDuringAJobIsFollowedAfterIt) {
  TPreviewWindow* w = Open();
  ASSERT_NE(w, nullptr);
  w->FollowDelayMs = 0;
  TProgressOptions& options = w->Progress;
  options.MinLines = 0;
  options.StepLines = 8;
  int steps = 0;
  bool nested = true;
  options.OnStep = [&](QProgressDialog&) {
    if (++steps != 2) return;
    form->edtXPos->SetValue(90);
    nested = w->SetJob(form->ReadJobEntries());
  };
  form->edtYPos->SetValue(120);
  QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending() && !w->Busy() && steps > 2, 5000);
  options = savedOptions;
  QTRY_VERIFY_WITH_TIMEOUT(!w->FollowPending() && !w->Busy(), 5000);
  EXPECT_FALSE(nested);
  TJobEntries want;
  want.XPos = 90;
  want.YPos = 120;
  EXPECT_EQ(w->Preview().Figures.FeedLength, BuildPreview(CheckJob(want)).Figures.FeedLength);
  EXPECT_TRUE(w->lblStatus->text().isEmpty());
}

// Paths that land on the pixels of one just drawn add nothing: a scene whose every path and swept band
// comes many times over, either way round, paints exactly as the scene with each once.
TEST(PaintPreviewScene, PathsOnTheSamePixelsAreDrawnOnce) {
  const struct {
    const char* name;
    TJobEntries job;
    int copies;
  } rows[] = {
      {"plate", Plate(), 3},
      {"default job", TJobEntries{}, 40},
  };
  for (const auto& r : rows) {
    const TPreviewScene once = BuildScene(BuildPreview(CheckJob(r.job)), 0, true);
    TPreviewScene many = once;
    many.Paths.clear();
    many.Swept.clear();
    for (const TScenePath& p : once.Paths) {
      for (int i = 0; i < r.copies; ++i) {
        TScenePath copy = p;
        if (i % 2) copy.Segment = {p.Segment.X1, p.Segment.Y1, p.Segment.X0, p.Segment.Y0};
        many.Paths.push_back(copy);
      }
    }
    for (const TSegmentMM& s : once.Swept)
      for (int i = 0; i < r.copies; ++i) many.Swept.push_back(i % 2 ? TSegmentMM{s.X1, s.Y1, s.X0, s.Y0} : s);
    const auto paint = [](const TPreviewScene& scene) {
      QImage image(640, 480, QImage::Format_RGB32);
      image.fill(Qt::white);
      QPainter painter(&image);
      PaintPreviewScene(painter, scene, QRectF(10, 10, 620, 460));
      return image;
    };
    EXPECT_TRUE(paint(once) == paint(many)) << r.name;
  }
}

// Cancelled while opening, there is no window: nothing was there to show.
TEST_F(PreviewInteractionTest, CancelWhileOpeningOpensNothing) {
  TProgressOptions& options = form->PreviewProgress;
  options.MinLines = 0;
  options.StepLines = 8;
  options.OnStep = [](QProgressDialog& dialog) { dialog.cancel(); };
  EXPECT_EQ(Open(), nullptr);
  EXPECT_TRUE(log.errors.empty());
  options = savedOptions;
  ASSERT_NE(Open(), nullptr);
}

}  // namespace
