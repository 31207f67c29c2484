#include <gtest/gtest.h>

#include <QString>
#include <QXmlStreamReader>

#include <map>
#include <numbers>

#include "TempDir.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "preview/PreviewSvg.h"

namespace {

struct TSvgCount {
  std::map<std::string, int> lines;  // "layer-1/feed" -> number of <line> elements
  int sweptLines = 0, sweptDiscs = 0, texts = 0;
  bool start = false, face = false;
  std::map<std::string, std::string> uncutFill, uncutPath;  // by id: "uncut-corners", "uncut-inside"
  QString error;
};

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
        groups.push_back(
            (a.value("id").isEmpty() ? a.value("class") : a.value("id")).toString().toStdString());
      } else if (name == "line" && !groups.empty()) {
        if (groups.back() == "swept")
          ++c.sweptLines;
        else if (groups.size() >= 2)
          ++c.lines[groups[groups.size() - 2] + "/" + groups.back()];
      } else if (name == "circle") {
        if (a.value("id") == QStringLiteral("start")) c.start = true;
        if (!groups.empty() && groups.back() == "swept") ++c.sweptDiscs;
      } else if (name == "path" && a.value("id").startsWith(QStringLiteral("uncut"))) {
        c.uncutFill[a.value("id").toString().toStdString()] = a.value("fill").toString().toStdString();
        c.uncutPath[a.value("id").toString().toStdString()] = a.value("d").toString().toStdString();
      } else if (name == "rect" && a.value("id") == QStringLiteral("face")) {
        c.face = true;
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
  const TToolpathPreview p = BuildPreview(Plate());
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
  EXPECT_EQ(c.texts, static_cast<int>(figures.size()));
  EXPECT_DOUBLE_EQ(scene.StartX, 3);
  EXPECT_DOUBLE_EQ(scene.StartY, 3);
  EXPECT_NEAR(scene.Uncut.Share(), (36 - 9 * std::numbers::pi) / 240, 2e-4);
}

// The window's default job leaves material inside the face: drawn in a colour of its own, apart from the
// corners, and both figures are in the drawing's text.
TEST(PreviewSvg, InsideMaterialHasAColourOfItsOwn) {
  const TToolpathPreview p = BuildPreview(TJobEntries{});
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
  const TToolpathPreview p = BuildPreview(Plate());
  const TPreviewScene scene = BuildScene(p, 0, false);
  const TSvgCount c = Parse(PreviewSvg(scene, {{"<&\">", "a & b"}}));
  ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
  const std::map<std::string, int> expected = {{"layer-1/feed", 9}, {"layer-1/rapid", 1}};
  EXPECT_EQ(c.lines, expected);
  EXPECT_EQ(c.texts, 1);
}

TEST(PreviewSvg, WritesSafelyAndReportsFailures) {
  TempDir dir;
  const TPreviewScene scene = BuildScene(BuildPreview(Plate()), 0, true);
  WritePreviewSvg(dir / "plate.svg", scene, {});
  EXPECT_TRUE(Parse(ReadBytes(dir / "plate.svg")).error.isEmpty());
  EXPECT_THROW(WritePreviewSvg(dir / "missing" / "plate.svg", scene, {}), EDVError);
}

}  // namespace
