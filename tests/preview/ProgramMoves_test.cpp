#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WorkedExample.h"
#include "dvTools/dvError.h"
#include "preview/ProgramMoves.h"
#include "preview/ToolpathPreview.h"

namespace {

TProgramFigures Read(const std::vector<std::string>& lines) {
  TProgramReader reader;
  for (const auto& l : lines) reader.AddLine(l);
  return reader.Figures();
}

// The plate's figures, added up move by move from its 48 lines.
struct TPlateFigures {
  // Per layer at F120: plunge, spiral legs 6 + 14 + 6 + 8.5, two edge-clean plunges of 2, the edge-clean
  // paths (8.5,3)-(6,0) = sqrt(15.25), 6, (6,6)-(3,9) = sqrt(18), (17,9)-(14,6)-(17,3) = 2 sqrt(18).
  static double Layer() { return 34.5 + 2 + std::sqrt(15.25) + 6 + std::sqrt(18) + 2 + 2 * std::sqrt(18); }
  // Layer 1 plunges 3 from Z2, layer 2 plunges 3 from Z1 after the move back at F1000 over 14 mm.
  static double Feed120() { return 3 + Layer() + 3 + Layer(); }
  static double Feed1000() { return 14; }
  // Per layer two edge-clean retracts of 2 and the 14 mm rapid to X17; the retract between layers 2;
  // the final retract from -2 to 2. The approach to (3, 3, 2) starts nowhere known and is not counted.
  static double Rapid() { return 2 * 18 + 2 + 4; }
};

TEST(ProgramReader, FiguresOfTheWorkedExampleByHand) {
  const TToolpathPreview p = BuildPreview(CheckJob(Plate()));
  const TProgramFigures& f = p.Figures;
  EXPECT_EQ(f.Lines, 48u);
  EXPECT_EQ(f.Layers, 2);
  EXPECT_NEAR(f.FeedLength, TPlateFigures::Feed120() + TPlateFigures::Feed1000(), 1e-9);
  EXPECT_NEAR(f.RapidLength, TPlateFigures::Rapid(), 1e-9);
  EXPECT_NEAR(f.FeedLength, 142.266094, 1e-6);
  EXPECT_DOUBLE_EQ(f.RapidLength, 42);
  const struct {
    double rapidRate, minutes;
  } rows[] = {
      {5000, TPlateFigures::Feed120() / 120 + 14.0 / 1000 + 42.0 / 5000},
      {1000, TPlateFigures::Feed120() / 120 + 14.0 / 1000 + 42.0 / 1000},
      {5000, 1.0912841},  // 65.5 s
  };
  for (const auto& r : rows) EXPECT_NEAR(f.CycleMinutes(r.rapidRate), r.minutes, 1e-7) << r.rapidRate;
  EXPECT_TRUE(std::isnan(f.CycleMinutes(0)));
  EXPECT_TRUE(std::isnan(f.CycleMinutes(-5000)));
  ASSERT_EQ(p.Layers.size(), 2u);
  EXPECT_DOUBLE_EQ(p.Layers[0].CutLevel(), -1);
  EXPECT_DOUBLE_EQ(p.Layers[1].CutLevel(), -2);
}

// The preview reads the lines the program file holds: the saved golden program gives the same figures.
TEST(ProgramReader, TheSavedProgramGivesTheSameFigures) {
  const std::string text = ReadBytes(SKIMPLANE_TEST_DATA "/plate-2-layers-relative.nc");
  ASSERT_FALSE(text.empty());
  TProgramReader reader;
  TLayerMarkReader marks(reader);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    marks.AddLine(std::string_view(text).substr(start, end - start));
  const TProgramFigures built = BuildPreview(CheckJob(Plate())).Figures;
  EXPECT_EQ(reader.Figures().Lines, built.Lines);
  EXPECT_EQ(reader.Figures().Layers, 2);
  EXPECT_DOUBLE_EQ(reader.Figures().FeedLength, built.FeedLength);
  EXPECT_DOUBLE_EQ(reader.Figures().RapidLength, built.RapidLength);
  EXPECT_DOUBLE_EQ(reader.Figures().FeedMinutes, built.FeedMinutes);
}

// Every number reads as the double nearest its decimal, the short ones the program writes as much as long
// ones, exponents and what is no number at all (the word is passed over, the axis keeps its place).
TEST(ProgramReader, NumbersReadToTheNearestDouble) {
  const auto readX = [](const std::string& word, bool& given) {
    TProgramReader reader;
    reader.AddLine("G00 X7.000 Y0.000 Z0.000");
    reader.AddLine("G00 X" + word);
    given = reader.Figures().Max.X != 7 || reader.Figures().Min.X != 7;
    return reader.Figures().Max.X != 7 ? reader.Figures().Max.X : reader.Figures().Min.X;
  };
  const struct {
    const char* word;
    bool number;
    double value;
  } rows[] = {
      {"1.000", true, 1},
      {"-2.500", true, -2.5},
      {"+3.125", true, 3.125},
      {"0.1", true, 0.1},
      {"-0.001", true, -0.001},
      {"2999.999", true, 2999.999},
      {"12.", true, 12},
      {".5", true, 0.5},
      {"123456789012.345", true, 123456789012.345},
      {"1234567890123456.5", true, 1234567890123456.5},  // more digits than the short way reads
      {"0.30000000000000004", true, 0.30000000000000004},
      {"1e2", true, 100},
      {"-", false, 0},
      {".", false, 0},
      {"1.2.3", false, 0},
      {"1-2", false, 0},
      {"nan", false, 0},
      {"inf", false, 0},
      {"", false, 0},
  };
  for (const auto& r : rows) {
    bool given = false;
    const double x = readX(r.word, given);
    EXPECT_EQ(given, r.number) << r.word;
    if (r.number) {
      EXPECT_EQ(x, r.value) << r.word;
    }
  }
  // Random short decimals as the program writes them, against the standard reading.
  std::mt19937_64 random(42);
  for (int i = 0; i < 20000; ++i) {
    const long long thousandths = static_cast<long long>(random() % 20'000'000'000ULL) - 10'000'000'000LL;
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(thousandths) / 1000);
    double want = 0;
    std::from_chars(text, text + std::strlen(text), want);
    bool given = false;
    ASSERT_EQ(readX(text, given), want == 7 ? 7 : want) << text;
  }
}

TEST(ProgramReader, ModalWordsAndWhatIsPassedOver) {
  const struct {
    const char* name;
    std::vector<std::string> lines;
    double feed, rapid, feedMinutes;
    bool timeKnown;
    std::uint64_t moves;
  } rows[] = {
      {"start unknown until all three axes are given",
       {"G00 X0.000", "G00 Y0.000 Z5.000", "G01 F100 X10.000"},
       10,
       0,
       0.1,
       true,
       1},
      {"motion code and feed stay in force",
       {"G00 F1000 X0.000 Y0.000 Z0.000", "G01 F200 X10.000", "Y10.000", "G00 X0.000"},
       20,
       10,
       0.1,
       true,
       3},
      {"the F of a rapid line is the feed of the next feed move",
       {"G00 X0.000 Y0.000 Z0.000", "G01 F100 X1.000", "G00 F1000 Z1.000", "G01 X11.000"},
       11,
       1,
       0.01 + 0.01,
       true,
       3},
      {"comments, M, S and T words and other G codes move nothing",
       {"G00 G90 G94 G40 G54 G80", "T1 M06", "M03 S5000", "G00 X0.000 Y0.000 Z0.000", "( X99.000 Y99.000 )",
        "M07", "G01 F60 Z-3.000", "M02"},
       3,
       0,
       0.05,
       true,
       1},
      {"malformed words are passed over",
       {"G00 X0.000 Y0.000 Z0.000", "G01 F100 X1.2.3 Y Xabc X4.000", "G01 X+6.000 Ynan Zinf", ""},
       6,
       0,
       0.06,
       true,
       2},
      {"a feed of zero or less has no time",
       {"G00 X0.000 Y0.000 Z0.000", "G01 F0 X5.000", "G01 F-5 X6.000"},
       6,
       0,
       0,
       false,
       2},
      {"a zero-length move at F0 does not spoil the time",
       {"G00 X0.000 Y0.000 Z0.000", "G01 F0 X0.000", "G00 F1000 X3.000 Y4.000"},
       0,
       5,
       0,
       true,
       2},
      {"space diagonal", {"G00 X0.000 Y0.000 Z0.000", "G01 F1 X1.000 Y2.000 Z2.000"}, 3, 0, 3, true, 1},
  };
  for (const auto& r : rows) {
    const TProgramFigures f = Read(r.lines);
    EXPECT_EQ(f.Lines, r.lines.size()) << r.name;
    EXPECT_NEAR(f.FeedLength, r.feed, 1e-12) << r.name;
    EXPECT_NEAR(f.RapidLength, r.rapid, 1e-12) << r.name;
    EXPECT_NEAR(f.FeedMinutes, r.feedMinutes, 1e-12) << r.name;
    EXPECT_EQ(f.FeedTimeKnown, r.timeKnown) << r.name;
    EXPECT_EQ(f.Moves, r.moves) << r.name;
  }
}

TEST(ProgramReader, LayerMarksSplitTheLayers) {
  const std::string mark2 =
      "( \xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE: \xB5\xDA"
      "2\xB2\xE3 )";
  const std::string mark3 =
      "( \xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE: \xB5\xDA"
      "3\xB2\xE3 )";
  const std::vector<std::string> lines = {"G00 X0.000 Y0.000 Z1.000",
                                          "G01 F10 Z-1.000",
                                          "G01 X5.000",
                                          mark2,
                                          "G00 Z1.000",
                                          "G01 F10 Z-2.000",
                                          mark3,
                                          "G01 Z-3.000"};
  const struct {
    bool every;
    std::vector<std::size_t> moves;
    std::vector<double> levels;
  } rows[] = {{true, {2, 2, 1}, {-1, -2, -3}}, {false, {2}, {-1}}};
  for (const auto& r : rows) {
    TPreviewSink sink(r.every);
    TLayerMarkReader marks(sink);
    for (const auto& l : lines) marks.AddLine(l);
    EXPECT_EQ(sink.Figures().Layers, 3);
    ASSERT_EQ(sink.Layers().size(), r.moves.size());
    for (std::size_t i = 0; i < r.moves.size(); ++i) {
      EXPECT_EQ(sink.Layers()[i].Moves.size(), r.moves[i]) << i;
      EXPECT_DOUBLE_EQ(sink.Layers()[i].CutLevel(), r.levels[i]) << i;
    }
    EXPECT_EQ(sink.Layers().back().Index, r.every ? 2 : 0);
  }
}

// The cutter centre's extremes: every point it is sent to once all three axes are known, the first one
// included; none before that.
TEST(ProgramReader, ExtentsOfTheCutterCentre) {
  const struct {
    const char* name;
    std::vector<std::string> lines;
    bool known;
    TPointXYZ min, max;
  } rows[] = {
      {"nothing known", {"G00 X1.000", "G00 Y2.000"}, false, {}, {}},
      {"the first known point alone", {"G00 X1.000 Y-2.000", "G00 Z3.000"}, true, {1, -2, 3}, {1, -2, 3}},
      {"points before all axes are known do not count",
       {"G00 X-50.000", "G00 X1.000 Y2.000 Z3.000", "G01 X4.000", "G01 Y-1.000 Z-6.000", "G00 Z9.000"},
       true,
       {1, -1, -6},
       {4, 2, 9}},
  };
  for (const auto& r : rows) {
    const TProgramFigures f = Read(r.lines);
    EXPECT_EQ(f.HasExtents, r.known) << r.name;
    if (!r.known) continue;
    EXPECT_DOUBLE_EQ(f.Min.X, r.min.X) << r.name;
    EXPECT_DOUBLE_EQ(f.Min.Y, r.min.Y) << r.name;
    EXPECT_DOUBLE_EQ(f.Min.Z, r.min.Z) << r.name;
    EXPECT_DOUBLE_EQ(f.Max.X, r.max.X) << r.name;
    EXPECT_DOUBLE_EQ(f.Max.Y, r.max.Y) << r.name;
    EXPECT_DOUBLE_EQ(f.Max.Z, r.max.Z) << r.name;
  }
  // The worked example: its edge clean runs down to the face's edge at (6, 0); the start and the end sit
  // 2 above the top, the second layer cuts at -2.
  const TProgramFigures plate = BuildPreview(CheckJob(Plate())).Figures;
  ASSERT_TRUE(plate.HasExtents);
  EXPECT_DOUBLE_EQ(plate.Min.X, 3);
  EXPECT_DOUBLE_EQ(plate.Max.X, 17);
  EXPECT_DOUBLE_EQ(plate.Min.Y, 0);
  EXPECT_DOUBLE_EQ(plate.Max.Y, 9);
  EXPECT_DOUBLE_EQ(plate.Min.Z, -2);
  EXPECT_DOUBLE_EQ(plate.Max.Z, 2);
}

TEST(BuildPreview, RefusesWhatTheGeneratorRefusesAndWhatIsTooLargeToDraw) {
  TJobEntries zeroStep = Plate();
  zeroStep.Cross = 6;
  EXPECT_THROW((void)BuildPreview(CheckJob(zeroStep)), EDVError);
  TJobEntries unknown = Plate();
  unknown.Mode = 7;
  EXPECT_THROW((void)BuildPreview(CheckJob(unknown)), EDVError);

  TJobEntries huge = Plate();
  huge.XPos = 3000;
  huge.YPos = 2000;
  huge.Layer = 5000;
  try {
    (void)BuildPreview(CheckJob(huge));
    ADD_FAILURE() << "no refusal";
  } catch (const EDVError& e) {
    EXPECT_NE(std::string(e.what()).find("too many to draw"), std::string::npos) << e.what();
  }
  // The figures alone keep only the first layer and read any program the generator writes.
  huge.Layer = 50;
  const TToolpathPreview first = BuildPreview(CheckJob(huge), false);
  EXPECT_EQ(first.Figures.Layers, 50);
  ASSERT_EQ(first.Layers.size(), 1u);
  EXPECT_EQ(first.Layers[0].Index, 0);
  EXPECT_DOUBLE_EQ(first.Layers[0].CutLevel(), -1);
  EXPECT_DOUBLE_EQ(first.Figures.Min.Z, -50);
}

TUncutArea PlateUncut() {
  TUncutArea u;
  u.FaceArea = 240;
  u.CornerArea = 36 - 9 * std::numbers::pi;
  u.InsideArea = 1.2;
  u.UncutArea = u.CornerArea + u.InsideArea;
  return u;
}

TEST(FigureRows, TimeTextAndRows) {
  const struct {
    double minutes;
    const char* text;
  } times[] = {
      {1.0912841, "0:01:05"}, {61.5, "1:01:30"}, {0, "0:00:00"}, {NAN, "unknown"}, {INFINITY, "unknown"}};
  for (const auto& t : times) EXPECT_EQ(FormatMinutes(t.minutes), t.text) << t.minutes;

  const TProgramFigures f = BuildPreview(CheckJob(Plate())).Figures;
  const auto rows = FigureRows(FigureValues(f, 5000, PlateUncut(), 1));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Lines", "48"},
      {"Layers", "2"},
      {"Feed path", "142.266 mm"},
      {"Rapid path", "42.000 mm"},
      {"Rapid rate", "5000 mm/min"},
      {"Cycle time", "0:01:05 (1.09 min)"},
      {"Left uncut inside", "1.200 mm\u00B2 (0.50 % of the face, layer 2)"},
      {"Left uncut in the corners", "7.726 mm\u00B2 (3.22 % of the face, layer 2)"},
  };
  EXPECT_EQ(rows, expected);

  TProgramFigures stalled = f;
  stalled.FeedTimeKnown = false;
  EXPECT_EQ(FigureRows(FigureValues(stalled, 5000, {}, 0))[5].second, "unknown (a feed of zero or less)");
  EXPECT_EQ(FigureRows(FigureValues(f, 0, {}, 0))[5].second, "unknown (the rapid rate must be above zero)");
  // A face without area leaves nothing standing.
  EXPECT_EQ(FigureRows(FigureValues(f, 5000, {}, 0))[6].second,
            "0.000 mm\u00B2 (0.00 % of the face, layer 1)");
}

TEST(FigureValues, NumbersAndWhyTheCycleTimeIsUnknown) {
  const TProgramFigures f = BuildPreview(CheckJob(Plate())).Figures;
  TProgramFigures stalled = f;
  stalled.FeedTimeKnown = false;
  const struct {
    const char* name;
    const TProgramFigures& figures;
    double rapidRate;
    TCycleTime cycle;
    double minutes;  // NaN: unknown
  } rows[] = {
      {"plate", f, 5000, TCycleTime::ctKnown, f.FeedMinutes + 42.0 / 5000},
      {"slow rapids", f, 500, TCycleTime::ctKnown, f.FeedMinutes + 42.0 / 500},
      {"feed of zero", stalled, 5000, TCycleTime::ctFeedUnknown, NAN},
      {"feed of zero, no rapid rate", stalled, 0, TCycleTime::ctFeedUnknown, NAN},
      {"rapid rate zero", f, 0, TCycleTime::ctNoRapidRate, NAN},
      {"rapid rate negative", f, -5, TCycleTime::ctNoRapidRate, NAN},
  };
  for (const auto& r : rows) {
    const TFigureValues v = FigureValues(r.figures, r.rapidRate, PlateUncut(), 3);
    EXPECT_EQ(v.Lines, 48u) << r.name;
    EXPECT_EQ(v.Layers, 2) << r.name;
    EXPECT_DOUBLE_EQ(v.FeedLength, f.FeedLength) << r.name;
    EXPECT_DOUBLE_EQ(v.RapidLength, 42) << r.name;
    EXPECT_DOUBLE_EQ(v.RapidRate, r.rapidRate) << r.name;
    EXPECT_EQ(v.Cycle, r.cycle) << r.name;
    if (std::isnan(r.minutes))
      EXPECT_TRUE(std::isnan(v.CycleMinutes)) << r.name;
    else
      EXPECT_DOUBLE_EQ(v.CycleMinutes, r.minutes) << r.name;
    EXPECT_DOUBLE_EQ(v.FaceArea, 240) << r.name;
    EXPECT_DOUBLE_EQ(v.UncutInside, 1.2) << r.name;
    EXPECT_DOUBLE_EQ(v.UncutCorner, 36 - 9 * std::numbers::pi) << r.name;
    EXPECT_DOUBLE_EQ(v.InsideShare(), 1.2 / 240) << r.name;
    EXPECT_DOUBLE_EQ(v.CornerShare(), (36 - 9 * std::numbers::pi) / 240) << r.name;
    EXPECT_EQ(v.Layer, 3) << r.name;
    EXPECT_TRUE(v.HasExtents) << r.name;
  }
}

// The JSON figures, byte for byte: scripts read these keys.
TEST(FigureJson, KeysAndValues) {
  const TProgramFigures f = BuildPreview(CheckJob(Plate())).Figures;
  EXPECT_EQ(FigureJson(FigureValues(f, 5000, PlateUncut(), 0)),
            "{\n"
            "  \"lines\": 48,\n"
            "  \"layers\": 2,\n"
            "  \"feed_path_mm\": 142.266,\n"
            "  \"rapid_path_mm\": 42.000,\n"
            "  \"rapid_rate_mm_min\": 5000.000,\n"
            "  \"cycle_time_min\": 1.0913,\n"
            "  \"face_mm2\": 240.000,\n"
            "  \"uncut_interior_mm2\": 1.200,\n"
            "  \"uncut_interior_percent\": 0.5000,\n"
            "  \"uncut_corner_mm2\": 7.726,\n"
            "  \"uncut_corner_percent\": 3.2190,\n"
            "  \"uncut_layer\": 1,\n"
            "  \"overcut_mm\": 0.000,\n"
            "  \"ramps\": 0,\n"
            "  \"ramp_legs\": 0,\n"
            "  \"ramp_steepest_deg\": null,\n"
            "  \"returns\": 0,\n"
            "  \"finish_layer\": null,\n"
            "  \"finish_level_mm\": null,\n"
            "  \"finish_feed_mm_min\": null,\n"
            "  \"extents\": {\"x_min\": 3.000, \"x_max\": 17.000, \"y_min\": 0.000, \"y_max\": 9.000, "
            "\"z_min\": -2.000, \"z_max\": 2.000}\n"
            "}\n");

  // What cannot be told is null, never a word JSON does not know (nan, inf); no negative zero.
  TProgramFigures unknown;
  unknown.FeedTimeKnown = false;
  const std::string json = FigureJson(FigureValues(unknown, 5000, {}, 0));
  EXPECT_NE(json.find("\"cycle_time_min\": null,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"extents\": {\"x_min\": null, \"x_max\": null, \"y_min\": null, \"y_max\": null, "
                      "\"z_min\": null, \"z_max\": null}"),
            std::string::npos)
      << json;
  EXPECT_EQ(FigureJson(FigureValues(f, 0, {}, 0)).find("nan"), std::string::npos);
  TProgramFigures nearZero = f;
  nearZero.Min.Z = -0.0001;
  EXPECT_NE(FigureJson(FigureValues(nearZero, 5000, {}, 0)).find("\"z_min\": 0.000,"), std::string::npos);
}

}  // namespace
