// The preview button and window on the real main window, and Generate's progress dialog, offscreen.

#include <gtest/gtest.h>

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

#include <functional>
#include <memory>

#include "TempDir.h"
#include "WorkedExample.h"
#include "app/AppTestSeams.h"
#include "app/Application.h"
#include "app/FormSettingsWindow.h"
#include "app/GenerateProgress.h"
#include "app/PreviewPainter.h"
#include "app/PreviewTexts.h"
#include "app/PreviewWindow.h"
#include "app/Skimplane_form.h"
#include "app/Skin.h"

namespace fs = std::filesystem;

namespace {

void Enter(TfrmSkimplane& form, const TJobEntries& e) {
  form.edtXPos->SetValue(e.XPos);
  form.edtYPos->SetValue(e.YPos);
  form.edtKnit->SetValue(e.Knit);
  form.edtCross->SetValue(e.Cross);
  form.edtZPos->SetValue(e.ZPos);
  form.edtLayer->SetIntValue(e.Layer);
  (e.Mode == kModeXZigzag   ? form.opnXArrow
   : e.Mode == kModeYZigzag ? form.opnYArrow
                            : form.opnDelta)
      ->setChecked(true);
}

class PreviewWindowTest : public ::testing::Test {
 protected:
  TSeamLog log;
  // The window built as main() builds it.
  std::unique_ptr<TfrmSkimplane> form = CreateMainWindow(TestSeams(log));

  QPushButton* Button() { return form->findChild<QPushButton*>(QStringLiteral("btnPreview")); }
  TPreviewWindow* Window() { return form->findChild<TPreviewWindow*>(QStringLiteral("frmPreview")); }
};

TEST_F(PreviewWindowTest, ButtonStandsLeftOfGenerateOnItsLine) {
  QPushButton* b = Button();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->text(), QString::fromUtf8("预览"));
  EXPECT_EQ(b->geometry(), QRect(184, 372, 75, 25));
  EXPECT_EQ(b->size(), form->btnGenerate->size());
  EXPECT_EQ(b->y(), form->btnGenerate->y());
  EXPECT_LT(b->geometry().right(), form->btnGenerate->x());
  EXPECT_EQ(form->btnGenerate->geometry(), QRect(280, 372, 75, 25));
  EXPECT_EQ(form->btnClose->geometry(), QRect(376, 372, 75, 25));
  EXPECT_FALSE(b->isDefault());
  // Not one of the window's own components: the language pack's walk over them does not meet it.
  EXPECT_FALSE(b->property("Tag").isValid());
  EXPECT_EQ(Window(), nullptr);
}

TEST_F(PreviewWindowTest, OpensWithFiguresLayersAndRapidRate) {
  QTest::mouseClick(Button(), Qt::LeftButton);
  ASSERT_TRUE(log.errors.empty()) << log.errors.front().text.toStdString();
  TPreviewWindow* w = Window();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->isWindow());
  // The window's default job: one layer, no selector.
  EXPECT_TRUE(w->lblFigures->text().startsWith(QString::fromUtf8("程序行数：79\n层数：1\n")))
      << w->lblFigures->text().toStdString();
  EXPECT_FALSE(w->cmbLayer->isVisible());

  // Entries changed and the button pressed again: the same window shows the new job.
  Enter(*form, Plate());
  QTest::mouseClick(Button(), Qt::LeftButton);
  EXPECT_EQ(Window(), w);
  EXPECT_EQ(form->findChildren<TPreviewWindow*>().size(), 1);
  EXPECT_TRUE(w->cmbLayer->isVisible());
  ASSERT_EQ(w->cmbLayer->count(), 2);
  EXPECT_EQ(w->Scene().Layer, 0);
  const struct {
    int layer;
    double rapidRate;
    const char* rate;
    const char* cycle;
  } rows[] = {
      {1, 5000, "5000", "0:01:05（1.09 分钟）"},
      {1, 500, "500", "0:01:10（1.17 分钟）"},
      {0, 500, "500", "0:01:10（1.17 分钟）"},
  };
  for (const auto& r : rows) {
    w->cmbLayer->setCurrentIndex(r.layer);
    w->edtRapidRate->setValue(r.rapidRate);
    EXPECT_EQ(w->Scene().Layer, r.layer);
    const QString text = w->lblFigures->text();
    const QString expected =
        QString::fromUtf8(
            "程序行数：48\n"
            "层数：2\n"
            "进给路径：142.266 mm\n"
            "快速移动路径：42.000 mm\n"
            "快速移动速度：%1 mm/min\n"
            "预计加工时间：%2\n"
            "内部未切削：0.000 mm²（占平面的 0.00%，第 %3 层）\n"
            "角部未切削：7.726 mm²（占平面的 3.22%，第 %3 层）")
            .arg(QLatin1String(r.rate), QString::fromUtf8(r.cycle), QString::number(r.layer + 1));
    EXPECT_EQ(text, expected) << text.toStdString();
  }
  // Only the selected layer's path is drawn: 10 planar moves on layer 1, 11 on layer 2.
  EXPECT_EQ(w->Scene().Paths.size(), 10u);
  w->cmbLayer->setCurrentIndex(1);
  EXPECT_EQ(w->Scene().Paths.size(), 11u);
}

// Every text of the window is Chinese; none of the command line's English wording shows.
TEST_F(PreviewWindowTest, TextsAreChinese) {
  Enter(*form, Plate());
  QTest::mouseClick(Button(), Qt::LeftButton);
  TPreviewWindow* w = Window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("预览"));
  QStringList texts;
  for (const QLabel* label : w->findChildren<QLabel*>()) texts << label->text();
  const QString all = texts.join(QLatin1Char('\n'));
  const char* const wanted[] = {"层：",
                                "快速移动速度：",
                                "切削进给",
                                "抬刀高度进给",
                                "快速移动（虚线）",
                                "刀具扫过区域",
                                "内部未切削",
                                "角部未切削（圆形刀具无法到达）",
                                "起点",
                                "程序行数：48"};
  for (const char* t : wanted)
    EXPECT_TRUE(all.contains(QString::fromUtf8(t))) << t << "\n" << all.toStdString();
  const char* const english[] = {"Layer",   "Rapid", "Lines",  "Feed",  "Cycle", "uncut",
                                 "unknown", "face",  "cutter", "start", "dashed"};
  for (const char* t : english)
    EXPECT_FALSE(all.contains(QLatin1String(t), Qt::CaseInsensitive)) << t << "\n" << all.toStdString();
}

// The machining options in the window's words: the finishing layer named in the layer choice, the
// options' figures after the others, and their legend entries only while they are drawn.
TEST(PreviewWindowOptions, NamedCountedAndInTheLegend) {
  TJobEntries job = Plate();
  job.Mode = kModeXZigzag;
  job.Direction = kDirectionClimb;
  job.Entry = kEntryRamp;
  job.Overcut = 1;
  job.FinishDepth = 0.2;
  job.FinishFeed = 300;
  TPreviewWindow w;
  ASSERT_TRUE(w.SetJob(job));
  QStringList layers;
  for (int i = 0; i < w.cmbLayer->count(); ++i) layers << w.cmbLayer->itemText(i);
  EXPECT_EQ(layers, QStringList({"1", "2", QString::fromUtf8("3（精加工）")}));
  const QString figures = w.lblFigures->text();
  EXPECT_TRUE(
      figures.endsWith(QString::fromUtf8("平面外切削：最多 1.000 mm（第 1 层）\n"
                                         "斜线下刀：3 次（7 段，最陡 1.196°）\n"
                                         "抬刀高度返回：6\n"
                                         "精加工层：第 3 层，Z -2.200 mm，进给 300 mm/min")))
      << figures.toStdString();
  const char* const options[] = {"斜线下刀", "抬刀高度返回（虚线）", "平面外扫过区域（超切）"};
  for (const char* entry : options)
    EXPECT_TRUE(w.lblLegend->text().contains(QString::fromUtf8(entry))) << entry;
  ASSERT_TRUE(w.SetJob(Plate()));
  EXPECT_EQ(w.lblFigures->text().count(QLatin1Char('\n')), 7);
  for (const char* entry : options)
    EXPECT_FALSE(w.lblLegend->text().contains(QString::fromUtf8(entry))) << entry;
}

// The centre pass box: the main window's choice, which Generate follows; the drawing shows nothing left
// inside once it is ticked. Along X there is no spiral to finish.
TEST_F(PreviewWindowTest, FinishCentreBoxIsTheMainWindowsChoice) {
  QTest::mouseClick(Button(), Qt::LeftButton);
  TPreviewWindow* w = Window();
  ASSERT_NE(w, nullptr);
  QCheckBox* box = w->findChild<QCheckBox*>(QStringLiteral("chkFinishCentre"));
  ASSERT_EQ(box, w->chkFinishCentre);
  EXPECT_FALSE(box->isChecked());
  EXPECT_TRUE(box->isEnabled());
  EXPECT_GT(w->Scene().Uncut.InsideArea, 25);

  box->click();
  EXPECT_TRUE(form->FinishCentre);
  EXPECT_TRUE(form->ReadJobEntries().FinishCentre);
  EXPECT_EQ(w->Scene().Uncut.InsideArea, 0);
  EXPECT_EQ(w->Preview().Figures.Lines, 79u + 19);
  EXPECT_TRUE(log.errors.empty());

  // Opened again, the box shows the choice; along X it has nothing to do.
  form->opnXArrow->setChecked(true);
  QTest::mouseClick(Button(), Qt::LeftButton);
  EXPECT_TRUE(box->isChecked());
  EXPECT_FALSE(box->isEnabled());
  box->click();
  EXPECT_TRUE(form->FinishCentre);
}

// The window's wording of each figure, the cycle time when it cannot be told included.
TEST(PreviewFigureText, EveryFigureAndEveryCycleTime) {
  const TProgramFigures plate = BuildPreview(CheckJob(Plate())).Figures;
  TProgramFigures stalled = plate;
  stalled.FeedTimeKnown = false;
  TUncutArea corners;
  corners.FaceArea = 240;
  corners.CornerArea = 7.7257;
  TUncutArea inside = corners;
  inside.InsideArea = 24;
  const struct {
    const char* name;
    const TProgramFigures& figures;
    double rapidRate;
    const TUncutArea& uncut;
    int layer;
    const char* text;
  } rows[] = {
      {"plate, last layer", plate, 5000, corners, 1,
       "程序行数：48\n层数：2\n进给路径：142.266 mm\n快速移动路径：42.000 mm\n快速移动速度：5000 mm/min\n"
       "预计加工时间：0:01:05（1.09 分钟）\n内部未切削：0.000 mm²（占平面的 0.00%，第 2 层）\n"
       "角部未切削：7.726 mm²（占平面的 3.22%，第 2 层）"},
      {"feed of zero, material inside", stalled, 5000, inside, 0,
       "程序行数：48\n层数：2\n进给路径：142.266 mm\n快速移动路径：42.000 mm\n快速移动速度：5000 mm/min\n"
       "预计加工时间：未知（进给速度为零或负值）\n内部未切削：24.000 mm²（占平面的 10.00%，第 1 层）\n"
       "角部未切削：7.726 mm²（占平面的 3.22%，第 1 层）"},
      {"no rapid rate, no face", plate, 0, TUncutArea{}, 0,
       "程序行数：48\n层数：2\n进给路径：142.266 mm\n快速移动路径：42.000 mm\n快速移动速度：0 mm/min\n"
       "预计加工时间：未知（快速移动速度须大于零）\n内部未切削：0.000 mm²（占平面的 0.00%，第 1 层）\n"
       "角部未切削：0.000 mm²（占平面的 0.00%，第 1 层）"},
  };
  for (const auto& r : rows) {
    const QString text = PreviewFigureText(FigureValues(r.figures, r.rapidRate, r.uncut, r.layer));
    EXPECT_EQ(text, QString::fromUtf8(r.text)) << r.name << "\n" << text.toStdString();
  }
}

// The window's default job opened from the button: the material its spiral leaves inside is in the
// figures and drawn in its own colour, apart from the corners.
TEST_F(PreviewWindowTest, DefaultJobShowsTheMaterialLeftInside) {
  QTest::mouseClick(Button(), Qt::LeftButton);
  TPreviewWindow* w = Window();
  ASSERT_NE(w, nullptr);
  const QString text = w->lblFigures->text();
  EXPECT_TRUE(text.contains(QString::fromUtf8("\n内部未切削：29.")) &&
              text.contains(QString::fromUtf8("，第 1 层）")))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith(QString::fromUtf8("\n角部未切削：7.726 mm²（占平面的 0.03%，第 1 层）")))
      << text.toStdString();
  EXPECT_GT(w->Scene().Uncut.InsideArea, 25.5);
  EXPECT_FALSE(w->Scene().Uncut.Inside.empty());
}

TEST_F(PreviewWindowTest, RefusedJobShowsTheErrorAndNoWindow) {
  TJobEntries e = Plate();
  e.Cross = e.Knit;
  Enter(*form, e);
  QTest::mouseClick(Button(), Qt::LeftButton);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_TRUE(log.errors[0].text.startsWith(QString::fromUtf8("步距（直径(R) - 重叠(C)）")))
      << log.errors[0].text.toStdString();
  EXPECT_EQ(Window(), nullptr);

  // A window already open keeps what it showed.
  Enter(*form, Plate());
  QTest::mouseClick(Button(), Qt::LeftButton);
  Enter(*form, e);
  QTest::mouseClick(Button(), Qt::LeftButton);
  EXPECT_EQ(log.errors.size(), 2u);
  ASSERT_NE(Window(), nullptr);
  EXPECT_EQ(Window()->Preview().Figures.Lines, 48u);
}

// The scene painted at 10 pixels a millimetre; the colour at a point of the face, in mm.
static std::function<QColor(double, double)> PaintedAtTenPixelsPerMm(const TPreviewScene& scene) {
  const TRectMM b = scene.Bounds;
  auto image = std::make_shared<QImage>(static_cast<int>(b.Width() * 10) + 1,
                                        static_cast<int>(b.Height() * 10) + 1, QImage::Format_RGB32);
  image->fill(Qt::white);
  {
    // Half a pixel in, so that a path on a whole millimetre runs through the middle of a pixel.
    QPainter painter(image.get());
    PaintPreviewScene(painter, scene, QRectF(0.5, 0.5, b.Width() * 10, b.Height() * 10));
  }
  return [image, b](double x, double y) {
    return image->pixelColor(static_cast<int>((x - b.X0) * 10 + 0.5),
                             static_cast<int>((b.Y1 - y) * 10 + 0.5));
  };
}

// The plate painted at 10 pixels a millimetre: the corners a round cutter cannot reach are marked, the
// swept band and the feed paths are where the moves put them. With options (along X, climbing, ramp entry,
// 1 mm overcut) the band beyond the face and the ramp leg over the first row have their own colours.
TEST(PaintPreviewScene, PixelsWhereTheMovesAre) {
  TJobEntries options = Plate();
  options.Mode = kModeXZigzag;
  options.Direction = kDirectionClimb;
  options.Entry = kEntryRamp;
  options.Overcut = 1;
  const auto plain = PaintedAtTenPixelsPerMm(BuildScene(BuildPreview(CheckJob(Plate())), 0, false));
  const auto optioned = PaintedAtTenPixelsPerMm(BuildScene(BuildPreview(CheckJob(options)), 0, false));
  const struct {
    const char* name;
    double x, y;
    QColor colour;
    bool withOptions = false;
  } rows[] = {
      {"uncut lower left corner", 0.3, 0.3, QColor(0xE0, 0x30, 0x1E)},
      {"uncut upper right corner", 19.7, 11.7, QColor(0xE0, 0x30, 0x1E)},
      {"swept, no path", 10, 6, QColor(0xC9, 0xDD, 0xF2)},
      {"feed path along X 3", 3, 6, QColor(0x1F, 0x4E, 0x9C)},
      // Y grows upwards: the start mark's ring (5 px) lies below the start corner (3, 3), near the bottom.
      {"start mark below the start corner", 3, 2.5, QColor(0x14, 0xA3, 0x3C)},
      {"band beyond the face", -0.5, 6, QColor(0xE6, 0xDC, 0xC0), true},
      {"band on the face beside it", 0.5, 6, QColor(0xC9, 0xDD, 0xF2), true},
      {"ramp leg over the first row", 10, 2, QColor(0x00, 0xA5, 0xA5), true},
  };
  for (const auto& r : rows) {
    const QColor c = (r.withOptions ? optioned : plain)(r.x, r.y);
    // Red: the uncut colour over the face at 75 %; the others exactly (antialiasing aside).
    const QColor want =
        r.colour == QColor(0xE0, 0x30, 0x1E)
            ? QColor(0xE0 * 3 / 4 + 0xF3 / 4, 0x30 * 3 / 4 + 0xF5 / 4, 0x1E * 3 / 4 + 0xF7 / 4)
            : r.colour;
    EXPECT_NEAR(c.red(), want.red(), 12) << r.name;
    EXPECT_NEAR(c.green(), want.green(), 12) << r.name;
    EXPECT_NEAR(c.blue(), want.blue(), 12) << r.name;
  }
}

// The default job painted at 10 pixels a millimetre: the fin the spiral leaves between X 77.5 and 78 and
// the notch at the bottom edge in the colour of material left inside, the corners in their own.
TEST(PaintPreviewScene, MaterialLeftInsideHasAColourOfItsOwn) {
  const TPreviewScene scene = BuildScene(BuildPreview(CheckJob(TJobEntries{})), 0, false);
  const auto pixel = PaintedAtTenPixelsPerMm(scene);
  // The uncut colours over the face at 75 %.
  const auto over = [](std::uint32_t rgb) {
    return QColor(((rgb >> 16) & 0xFF) * 3 / 4 + 0xF3 / 4, ((rgb >> 8) & 0xFF) * 3 / 4 + 0xF5 / 4,
                  (rgb & 0xFF) * 3 / 4 + 0xF7 / 4);
  };
  const struct {
    const char* name;
    double x, y;
    QColor colour;
  } rows[] = {
      {"fin", 77.75, 100, over(0xD400C8)},
      {"notch", 5.75, 0.3, over(0xD400C8)},
      {"corner", 0.3, 0.3, over(0xE0301E)},
      {"swept beside the fin", 76.5, 100, QColor(0xC9, 0xDD, 0xF2)},
  };
  for (const auto& r : rows) {
    const QColor c = pixel(r.x, r.y);
    EXPECT_NEAR(c.red(), r.colour.red(), 12) << r.name;
    EXPECT_NEAR(c.green(), r.colour.green(), 12) << r.name;
    EXPECT_NEAR(c.blue(), r.colour.blue(), 12) << r.name;
  }
}

TEST(PreviewCaption, LanguagePackMayCaptionTheButton) {
  const struct {
    const char* name;
    std::string lang;
    QString caption;
  } rows[] = {
      {"pack with the key", "  Preview:Preview\r\n", QStringLiteral("Preview")},
      {"pack without it", "", QString::fromUtf8("预览")},
  };
  for (const auto& r : rows) {
    TempDir dir;
    TSeamLog log;
    log.executable = QString::fromStdString((dir / "skimplane").string());
    WriteBytes(dir / "Skimplane.ini", "Option:[%RootKey%]\r\n[%\r\n  Lang:pack.lng\r\n%]\r\n");
    WriteBytes(dir / "pack.lng",
               "Option:[%RootKey%]\r\n[%\r\n  Charset:ANSI_CHARSET\r\n%]\r\nLang:[%RootKey%]\r\n[%\r\n" +
                   r.lang + "  Sheet1:Workpiece\r\n%]\r\n");
    TAppSeams seams = TestSeams(log);
    UseSettingsFile(seams, '.');
    const std::unique_ptr<TfrmSkimplane> window = CreateMainWindow(std::move(seams));
    TfrmSkimplane& form = *window;
    EXPECT_TRUE(log.errors.empty()) << r.name << ": " << log.errors.front().text.toStdString();
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("btnPreview"))->text(), r.caption) << r.name;
    EXPECT_EQ(form.btnGenerate->text(), QString::fromUtf8("生成")) << r.name;
  }
}

// A program as the toolpath library writes it, for comparing files.
std::string ProgramText(const TProgramRequest& request) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram(request, list);
  return sink.Text();
}

TEST(GenerateWithProgress, CancelLeavesTheOldFileAndAFullRunWritesIt) {
  const struct {
    const char* name;
    double minLines;
    int cancelAtStep;  // 0: never
    bool dialog, written;
  } rows[] = {
      {"small program: no dialog", 1e9, 0, false, true},
      {"large program: dialog, runs to the end", 0, 0, true, true},
      {"cancel at the first update", 0, 1, true, false},
      {"cancel later", 0, 3, true, false},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const fs::path target = dir / "job.nc";
    WriteBytes(target, "old program");
    const TProgramRequest request{CheckJob(Plate()), target, "job.nc", "2011-06-18 14:05"};
    int steps = 0;
    bool visible = false;
    TProgressOptions options;
    options.MinLines = r.minLines;
    options.StepLines = 8;
    options.OnStep = [&](QProgressDialog& dialog) {
      ++steps;
      visible = visible || dialog.isVisible();
      if (steps == r.cancelAtStep) dialog.cancel();
    };
    bool cancelled = false;
    try {
      GenerateWithProgress(nullptr, request, options);
    } catch (const TGenerationCancelled&) {
      cancelled = true;
    }
    EXPECT_EQ(cancelled, !r.written) << r.name;
    EXPECT_EQ(steps > 0, r.dialog) << r.name;
    EXPECT_EQ(visible, r.dialog) << r.name;
    EXPECT_EQ(ReadBytes(target), r.written ? ProgramText(request) : "old program") << r.name;
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << r.name;
  }
}

TEST_F(PreviewWindowTest, GenerateCancelledThroughTheWindowReportsNothing) {
  TempDir dir;
  const fs::path target = dir / "job.nc";
  WriteBytes(target, "old program");
  log.savePath = QString::fromStdString(target.string());
  Enter(*form, Plate());
  TProgressOptions& options = form->GenerateProgress;
  const TProgressOptions saved = options;
  options.MinLines = 0;
  options.StepLines = 8;
  options.OnStep = [](QProgressDialog& dialog) { dialog.cancel(); };
  QTest::mouseClick(form->btnGenerate, Qt::LeftButton);
  options = saved;
  EXPECT_EQ(ReadBytes(target), "old program");
  EXPECT_TRUE(log.messages.empty());  // no success box
  EXPECT_TRUE(log.errors.empty());

  // Without Cancel the same click writes the program and reports success.
  QTest::mouseClick(form->btnGenerate, Qt::LeftButton);
  EXPECT_NE(ReadBytes(target), "old program");
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, QStringLiteral("Success."));
}

}  // namespace
