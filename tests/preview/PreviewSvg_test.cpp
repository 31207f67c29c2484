#include <gtest/gtest.h>

#include <QString>
#include <QXmlStreamReader>

#include <map>
#include <numbers>

#include "TempDir.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "preview/PreviewReport.h"
#include "preview/PreviewSvg.h"

namespace fs = std::filesystem;

namespace {

struct TSvgCount {
  std::map<std::string, int> lines;  // "layer-1/feed" -> number of <line> elements
  int sweptLines = 0, sweptDiscs = 0, texts = 0;
  bool start = false, face = false;
  double startX = 0, startY = 0, faceLeft = 0, faceTop = 0, faceWidth = 0, faceHeight = 0;
  std::map<std::string, std::string> uncutFill, uncutPath;  // by id: "uncut-corners", "uncut-inside"
  int overcutLines = 0;        // the band beyond the face, drawn again in its own colour
  std::string finishingLayer;  // the id of the layer drawn as the finishing one
  QString error;
};

// The legend below the figures: one swatch and text per colour of the drawing.
constexpr int kLegendEntries = 7;

TSvgCount Parse(const std::string& svg) {
  TSvgCount c;
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  std::vector<std::string> groups;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const auto a = xml.attributes();
      const QString name = xml.name().toString();
      if (name == "g") {
        if (a.value("class").contains(QStringLiteral("finishing")))
          c.finishingLayer = a.value("id").toString().toStdString();
        groups.push_back(
            (a.value("id").isEmpty() ? a.value("class") : a.value("id")).toString().toStdString());
      } else if (name == "line" && !groups.empty()) {
        if (groups.back() == "swept")
          ++c.sweptLines;
        else if (groups.back() == "overcut")
          ++c.overcutLines;
        else if (groups.size() >= 2)
          ++c.lines[groups[groups.size() - 2] + "/" + groups.back()];
      } else if (name == "circle") {
        if (a.value("id") == QStringLiteral("start")) {
          c.start = true;
          c.startX = a.value("cx").toDouble(), c.startY = a.value("cy").toDouble();
        }
        if (!groups.empty() && groups.back() == "swept") ++c.sweptDiscs;
      } else if (name == "path" && a.value("id").startsWith(QStringLiteral("uncut"))) {
        c.uncutFill[a.value("id").toString().toStdString()] = a.value("fill").toString().toStdString();
        c.uncutPath[a.value("id").toString().toStdString()] = a.value("d").toString().toStdString();
      } else if (name == "rect" && a.value("id") == QStringLiteral("face")) {
        c.face = true;
        c.faceLeft = a.value("x").toDouble(), c.faceTop = a.value("y").toDouble();
        c.faceWidth = a.value("width").toDouble(), c.faceHeight = a.value("height").toDouble();
      } else if (name == "text") {
        ++c.texts;
      }
    } else if (xml.isEndElement() && xml.name() == QStringLiteral("g")) {
      groups.pop_back();
    }
  }
  if (xml.hasError()) c.error = xml.errorString();
  return c;
}

TEST(PreviewSvg, PlateIsWellFormedWithOneLinePerPlanarMove) {
  const TToolpathPreview p = BuildPreview(CheckJob(Plate()));
  const TPreviewScene scene = BuildScene(p, 1, true);
  const auto figures = FigureRows(FigureValues(p.Figures, kDefaultRapidRate, scene.Uncut, scene.Layer));
  TSvgCount c = Parse(PreviewSvg(scene, figures));
  ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
  // Per layer: 4 spiral legs and 5 edge-clean paths fed at the level, the rapid to X17 at retract height;
  // the second layer starts with the move back to the start corner at retract height. Rapids and
  // plunges that only change Z, and the zero-length rapid to (8.5, 3), draw nothing.
  const std::map<std::string, int> expected = {{"layer-1/feed", 9},
                                               {"layer-1/rapid", 1},
                                               {"layer-2/feed", 9},
                                               {"layer-2/lifted", 1},
                                               {"layer-2/rapid", 1}};
  EXPECT_EQ(c.lines, expected);
  // The shown layer's band: the same 9 cutting paths, and as discs the two plunges that do not start where
  // the last path ended (at the start corner and at X17 Y9).
  EXPECT_EQ(c.sweptLines, 9);
  EXPECT_EQ(c.sweptDiscs, 2);
  EXPECT_TRUE(c.start);
  EXPECT_FALSE(c.uncutPath["uncut-corners"].empty());  // the four corners
  EXPECT_EQ(c.uncutPath["uncut-inside"], "");          // and nothing else
  EXPECT_TRUE(c.face);
  // Y grows upwards, as on the machine: the start corner (3, 3) of the 20 x 12 face is drawn a quarter of
  // the face's height above its bottom-left corner, not below its top-left one.
  EXPECT_NEAR(c.startX - c.faceLeft, c.faceWidth * 3 / 20, 1);
  EXPECT_NEAR(c.faceTop + c.faceHeight - c.startY, c.faceHeight * 3 / 12, 1);
  EXPECT_EQ(c.texts, static_cast<int>(figures.size()) + kLegendEntries);
  EXPECT_DOUBLE_EQ(scene.StartX, 3);
  EXPECT_DOUBLE_EQ(scene.StartY, 3);
  EXPECT_NEAR(scene.Uncut.Share(), (36 - 9 * std::numbers::pi) / 240, 2e-4);
}

// The window's default job leaves material inside the face: drawn in a colour of its own, apart from the
// corners, and both figures are in the drawing's text.
TEST(PreviewSvg, InsideMaterialHasAColourOfItsOwn) {
  const TToolpathPreview p = BuildPreview(CheckJob(TJobEntries{}));
  const TPreviewScene scene = BuildScene(p, 0, true);
  const auto figures = FigureRows(FigureValues(p.Figures, kDefaultRapidRate, scene.Uncut, scene.Layer));
  const std::string svg = PreviewSvg(scene, figures);
  TSvgCount c = Parse(svg);
  ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
  EXPECT_EQ(c.uncutFill["uncut-corners"], "#E0301E");
  EXPECT_EQ(c.uncutFill["uncut-inside"], "#D400C8");
  EXPECT_FALSE(c.uncutPath["uncut-corners"].empty());
  EXPECT_FALSE(c.uncutPath["uncut-inside"].empty());
  for (const char* label : {">Left uncut inside: ", ">Left uncut in the corners: 7.726 mm\u00B2"})
    EXPECT_NE(svg.find(label), std::string::npos) << label;
}

TEST(PreviewSvg, OneLayerOnlyAndEscapedText) {
  const TToolpathPreview p = BuildPreview(CheckJob(Plate()));
  const TPreviewScene scene = BuildScene(p, 0, false);
  const TSvgCount c = Parse(PreviewSvg(scene, {{"<&\">", "a & b"}}));
  ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
  const std::map<std::string, int> expected = {{"layer-1/feed", 9}, {"layer-1/rapid", 1}};
  EXPECT_EQ(c.lines, expected);
  EXPECT_EQ(c.texts, 1 + kLegendEntries);
}

// The drawing the command line writes carries what the window shows: the figures, where the cutter centre
// goes, and the legend of every colour drawn.
TEST(PreviewSvg, ReportCarriesExtentsAndLegend) {
  const struct {
    const char* name;
    TJobEntries job;
    std::vector<std::string> texts;
  } rows[] = {
      {"plate",
       Plate(),
       {">Lines: 48<", ">Cutter centre X: 3.000 to 17.000 mm<", ">Cutter centre Y: 0.000 to 9.000 mm<",
        ">Cutter centre Z: -2.000 to 2.000 mm<"}},
      {"one layer",
       [] {
         TJobEntries e = Plate();
         e.Layer = 1;
         return e;
       }(),
       {">Lines: 29<", ">Cutter centre Z: -1.000 to 2.000 mm<"}},
  };
  const char* const legend[][2] = {{"#1F4E9C", "cutting feed"},
                                   {"#E08A00", "feed at retract height"},
                                   {"#9A2FB0", "rapid (dashed)"},
                                   {"#C9DDF2", "area the cutter sweeps"},
                                   {"#D400C8", "left uncut inside"},
                                   {"#E0301E", "left in the corners (no round cutter reaches)"},
                                   {"#14A33C", "start"}};
  for (const auto& r : rows) {
    const TPreviewReport report = MakePreviewReport(CheckJob(r.job), true, kDefaultRapidRate);
    const TSvgCount c = Parse(report.Svg);
    ASSERT_TRUE(c.error.isEmpty()) << r.name << ": " << c.error.toStdString();
    EXPECT_EQ(c.texts, static_cast<int>(report.Figures.size()) + 3 + kLegendEntries) << r.name;
    for (const std::string& t : r.texts)
      EXPECT_NE(report.Svg.find(t), std::string::npos) << r.name << ": " << t;
    const std::string legendGroup = report.Svg.substr(report.Svg.find("<g id=\"legend\""));
    for (const auto& [colour, text] : legend) {
      const std::size_t swatch = legendGroup.find(std::string("fill=\"") + colour + "\"/>\n<text");
      ASSERT_NE(swatch, std::string::npos) << r.name << ": " << colour;
      EXPECT_NE(legendGroup.find(std::string(">") + text + "<", swatch), std::string::npos) << text;
    }
    // The text figures stay as they were: the extents are in the JSON.
    for (const auto& [label, value] : report.Figures)
      EXPECT_EQ(label.find("Cutter centre"), std::string::npos);
  }
}

// Lines of one style over every layer ("ramp", "return", ...).
int LinesOf(const TSvgCount& c, const std::string& style) {
  int n = 0;
  for (const auto& [group, count] : c.lines)
    if (group.ends_with("/" + style)) n += count;
  return n;
}

// A job without machining options is drawn byte for byte as before they existed.
TEST(PreviewSvg, AJobWithoutOptionsKeepsItsDrawing) {
  EXPECT_EQ(MakePreviewReport(CheckJob(Plate()), true, kDefaultRapidRate).Svg,
            ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / "preview-plate.svg"));
}

// Each machining option drawn and counted: ramp legs and returns in styles of their own, the band beyond
// the face of an overcut job in its own colour, the finishing layer marked; their figure rows and legend
// entries only where they are drawn. The figures read back without keeping a move say the same.
TEST(PreviewSvg, MachiningOptionsAreDrawnAndCounted) {
  TJobEntries overcut = Plate(), overcutX = Plate(), ramp = Plate(), climbX = Plate(), finish = Plate();
  overcut.Overcut = 4;
  overcutX.Overcut = 0.9, overcutX.Mode = kModeXZigzag;
  ramp.Entry = kEntryRamp;
  climbX.Direction = kDirectionClimb, climbX.Mode = kModeXZigzag;
  finish.FinishDepth = 0.2, finish.FinishFeed = 300;
  const std::string band = "area swept beyond the face (overcut)";
  const struct {
    const TJobEntries& job;
    int ramps, returns;             // lines drawn of each
    std::string finished;           // the id of the layer marked as the finishing one
    std::string row, legend, json;  // the option's figure row, legend entry and JSON keys
  } rows[] = {
      {Plate(), 0, 0, "", "", "", "\"overcut_mm\": 0.000,\n  \"ramps\": 0,\n  \"ramp_legs\": 0"},
      {overcut, 0, 0, "", "Cut beyond the face: up to 4.000 mm (layer 1)", band, "\"overcut_mm\": 4.000,"},
      // Enough overcut leaves no corner (checked below for both).
      {overcutX, 0, 0, "", "Cut beyond the face: up to 0.900 mm (layer 1)", band, "\"overcut_mm\": 0.900,"},
      {ramp, 10, 0, "", "Ramp entries: 2 (10 legs, steepest 1.909\u00B0)", "ramp entry",
       "\"ramps\": 2,\n  \"ramp_legs\": 10,\n  \"ramp_steepest_deg\": 1.909,"},
      {climbX, 0, 4, "", "Returns at retract height: 4", "return at retract height (dashed)",
       "\"returns\": 4,"},
      {finish, 0, 0, "layer-3", "Finishing layer: layer 3 at Z -2.200 mm, feed 300 mm/min", "",
       "\"finish_layer\": 3,\n  \"finish_level_mm\": -2.200,\n  \"finish_feed_mm_min\": 300.000,"},
  };
  for (const auto& r : rows) {
    const TPreviewReport report = MakePreviewReport(CheckJob(r.job), true, kDefaultRapidRate);
    const TSvgCount c = Parse(report.Svg);
    const std::string name = r.row.empty() ? "none" : r.row;
    ASSERT_TRUE(c.error.isEmpty()) << name << ": " << c.error.toStdString();
    EXPECT_EQ(LinesOf(c, "ramp"), r.ramps) << name;
    EXPECT_EQ(LinesOf(c, "return"), r.returns) << name;
    EXPECT_EQ(c.overcutLines > 0, r.legend == band) << name;
    EXPECT_EQ(c.finishingLayer, r.finished) << name;
    ASSERT_EQ(report.Figures.size(), r.row.empty() ? 8u : 9u) << name;
    EXPECT_EQ(r.row.empty() ? "" : report.Figures[8].first + ": " + report.Figures[8].second, r.row);
    EXPECT_TRUE(r.legend != band || report.Figures[7].second.starts_with("0.000 mm")) << name;
    EXPECT_EQ(c.texts, static_cast<int>(report.Figures.size()) + 3 + kLegendEntries + !r.legend.empty())
        << name;
    EXPECT_TRUE(r.legend.empty() || report.Svg.find(">" + r.legend + "<") != std::string::npos) << name;
    EXPECT_NE(report.Json.find(r.json), std::string::npos) << name << "\n" << report.Json;
    EXPECT_EQ(MakePreviewReport(CheckJob(r.job), false, kDefaultRapidRate).Json, report.Json) << name;
  }
}

TEST(PreviewSvg, WritesSafelyAndReportsFailures) {
  TempDir dir;
  const TPreviewScene scene = BuildScene(BuildPreview(CheckJob(Plate())), 0, true);
  WritePreviewSvg(dir / "plate.svg", scene, {});
  EXPECT_TRUE(Parse(ReadBytes(dir / "plate.svg")).error.isEmpty());
  EXPECT_THROW(WritePreviewSvg(dir / "missing" / "plate.svg", scene, {}), EDVError);
}

}  // namespace
