#include <gtest/gtest.h>

#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "preview/SweptArea.h"
#include "toolpath/Dialect.h"
#include "preview/ToolpathPreview.h"

namespace {

constexpr double kPi = std::numbers::pi;

TJobEntries Job(double x, double y, double diameter, double overlap, int mode, bool clearEnd,
                int layers = 1) {
  TJobEntries e;
  e.XPos = x;
  e.YPos = y;
  e.Knit = diameter;
  e.Cross = overlap;
  e.Mode = mode;
  e.ClearEnd = clearEnd;
  e.Layer = layers;
  return e;
}

// What each layer leaves standing, worked out by hand from the moves the job writes, told apart into the
// corners that no round cutter reaches and the rest. A corner that a cutter of radius r reaches only with
// its round side keeps r^2 (1 - pi/4).
TEST(UncutArea, InsideAndCornersOfSmallJobsByHand) {
  const double corners = 36 - 9 * kPi;  // four corners of a cutter of radius 3
  const struct {
    const char* name;
    TJobEntries job;
    double inside, corner;  // mm^2
  } rows[] = {
      // The worked example: the spiral and the edge clean reach everything but the four corners.
      {"plate, spiral with edge clean, 2 layers", Job(20, 12, 6, 0.5, kModeSpiral, true, 2), 0, corners},
      // One pass along Y 3 from X 3 to 17 on a face as high as the cutter: the ends beyond X 3 and X 17
      // keep 3 x 6 less a half disc each, which is exactly the four corners.
      {"one pass along X", Job(20, 6, 6, 0.5, kModeXZigzag, false), 0, corners},
      // A negative overlap spaces the rows 8 apart (Y 3, 11, clamped 17): a strip 2 high from X 3 to 14
      // stays, the left side between the discs at Y 3 and 11 keeps 24 - 4.5 pi, the right side between
      // Y 11 and 17 keeps 18 - 4.5 pi, and the four corners.
      {"strips left by a gap between rows", Job(20, 20, 6, -2, kModeXZigzag, false),
       22 + (24 - 4.5 * kPi) + (18 - 4.5 * kPi), corners},
      // The same mirrored: passes along Y.
      {"strips left by a gap between columns", Job(20, 20, 6, -2, kModeYZigzag, false),
       22 + (24 - 4.5 * kPi) + (18 - 4.5 * kPi), corners},
      // A face no larger than the cutter: the one plunge and a zero-length leg sweep one disc.
      {"face the size of the cutter", Job(6, 6, 6, 0.5, kModeSpiral, false), 0, corners},
  };
  for (const auto& r : rows) {
    const TToolpathPreview p = BuildPreview(CheckJob(r.job));
    for (const TLayerPath& layer : p.Layers) {
      const TUncutArea u = ComputeUncutArea(p.Face, p.Radius, layer.Moves, layer.CutLevel());
      const double face = p.Face.Width() * p.Face.Height();
      EXPECT_NEAR(u.FaceArea, face, 1e-9) << r.name;
      // Cells of a tiny fraction of a millimetre: the raster is off by far less than this.
      EXPECT_NEAR(u.InsideArea, r.inside, 2e-4 * face) << r.name << ", layer " << layer.Index + 1;
      EXPECT_NEAR(u.CornerArea, r.corner, 2e-4 * face) << r.name << ", layer " << layer.Index + 1;
      EXPECT_DOUBLE_EQ(u.UncutArea, u.InsideArea + u.CornerArea) << r.name;
      EXPECT_NEAR(u.Share(), (r.inside + r.corner) / face, 2e-4) << r.name;
      if (r.inside == 0) {
        EXPECT_EQ(u.InsideArea, 0) << r.name;  // not even a stray cell along a band's edge
        EXPECT_TRUE(u.Inside.empty()) << r.name;
      }
    }
  }
}

// The window's own default job (spiral 150 x 200, diameter 6, overlap 0.5): the spiral's last passes at
// X 74.5 and X 81 lie 6.5 apart, so a fin 0.5 wide stays between X 77.5 and 78, from the edge-clean pass
// along Y 69 (which cuts up to Y 72) to the edge-clean diagonal from (75, 125) that cuts down to
// Y = X + 50 - 3 sqrt 2: 25.75 mm^2. At the bottom edge the passes at X 3 and X 8.5 both start at Y 3, and
// between their two discs a notch of 2.77 mm^2 reaches the edge.
TEST(UncutArea, TheDefaultJobLeavesAFinAndANotchInside) {
  const TToolpathPreview p = BuildPreview(CheckJob(TJobEntries{}));
  ASSERT_EQ(p.Layers.size(), 1u);
  const TUncutArea u = ComputeUncutArea(p.Face, p.Radius, p.Layers[0].Moves, p.Layers[0].CutLevel());
  const double fin = 0.5 * (77.75 + 50 - 3 * std::sqrt(2.0) - 72);
  // Below Y 3 the discs about (3, 3) and (8.5, 3) part where they are less than 2.75 wide: 3 - u0 from the
  // edge.
  const double u0 = std::sqrt(9 - 2.75 * 2.75);
  const double notch = 5.5 * (3 - u0) - 2 * (9 * kPi / 4 - (u0 / 2 * 2.75 + 4.5 * std::asin(u0 / 3)));
  EXPECT_NEAR(fin, 25.754, 1e-3);
  EXPECT_NEAR(notch, 2.766, 1e-3);
  // A strip 0.5 wide holds five or six columns of cells: up to one cell's width along its length either way.
  EXPECT_NEAR(u.InsideArea, fin + notch, u.CellWidth * 52) << u.CellWidth;
  EXPECT_DOUBLE_EQ(u.CornerArea, CornerLimit(3));
  // Every inside cell lies in the fin or the notch, and both are there.
  bool finSeen = false, notchSeen = false;
  for (const TRectMM& r : u.Inside) {
    const bool inFin = r.X0 >= 77.5 - u.CellWidth && r.X1 <= 78 + u.CellWidth && r.Y0 >= 72 - u.CellHeight &&
                       r.Y1 <= 124 + u.CellHeight;
    const bool inNotch = r.X0 >= 3 && r.X1 <= 8.5 && r.Y0 >= 0 && r.Y1 <= 1.81 + u.CellHeight;
    EXPECT_TRUE(inFin || inNotch) << r.X0 << " " << r.Y0 << " " << r.X1 << " " << r.Y1;
    finSeen = finSeen || (inFin && r.Y0 <= 100 && r.Y1 >= 100);
    notchSeen = notchSeen || (inNotch && r.Y0 == 0 && r.X0 <= 5.75 && r.X1 >= 5.75);
  }
  EXPECT_TRUE(finSeen);
  EXPECT_TRUE(notchSeen);
}

// The centre pass clears what any spiral leaves inside: random faces, cutters and overlaps (an overlap of
// zero up to nearly the cutter), with and without the edge clean. The same jobs without it mostly do leave
// material inside, so the jobs are worth checking.
TEST(UncutArea, CentrePassLeavesNothingInsideOnRandomSpiralJobs) {
  std::mt19937 random(20261209);
  const auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  int leftWithout = 0;
  const int jobs = 60;
  for (int i = 0; i < jobs; ++i) {
    const double diameter = uniform(1, 12);
    TJobEntries e =
        Job(std::round(uniform(diameter, 260) * 10) / 10, std::round(uniform(diameter, 260) * 10) / 10,
            diameter, uniform(0, 0.9) * diameter, kModeSpiral, random() % 2 == 0);
    const std::string name = std::to_string(e.XPos) + " x " + std::to_string(e.YPos) + " d " +
                             std::to_string(e.Knit) + " c " + std::to_string(e.Cross) +
                             (e.ClearEnd ? " clean" : "");
    const auto inside = [](const TJobEntries& job) {
      const TToolpathPreview p = BuildPreview(CheckJob(job));
      return ComputeUncutArea(p.Face, p.Radius, p.Layers[0].Moves, p.Layers[0].CutLevel(), 1'000'000);
    };
    leftWithout += inside(e).InsideArea > 0;
    e.FinishCentre = true;
    const TUncutArea u = inside(e);
    EXPECT_EQ(u.InsideArea, 0) << name;
    EXPECT_LE(u.CornerArea, CornerLimit(e.Knit / 2)) << name;
  }
  EXPECT_GT(leftWithout, jobs / 2);
}

// Whatever the job, what stays in the corners is never more than a round cutter must leave there, and the
// two figures add up to the whole.
TEST(UncutArea, CornersNeverExceedWhatARoundCutterMustLeave) {
  const struct {
    double x, y, diameter, overlap;
  } faces[] = {{20, 12, 6, 0.5}, {150, 200, 6, 0.5}, {6, 6, 6, 0.5},         {6.5, 9, 6, 0.5},
               {6, 7, 6, 1},     {31, 17, 4, 1.25},  {40, 40, 10, -3},       {20, 6, 6, 0.5},
               {9, 50, 7, 3},    {100, 7, 2.5, 0.2}, {13.7, 21.3, 3.3, 0.05},
               // every cell a corner or arc cell: the figures stay numbers
               {0.0012, 0.0012, 0.0012, 0}};
  for (const auto& f : faces) {
    for (int mode : {kModeSpiral, kModeXZigzag, kModeYZigzag}) {
      for (bool clearEnd : {true, false}) {
        const TToolpathPreview p =
            BuildPreview(CheckJob(Job(f.x, f.y, f.diameter, f.overlap, mode, clearEnd)));
        const TLayerPath& layer = p.Layers[0];
        for (std::size_t budget : {kDefaultCellBudget, std::size_t{10'000}, std::size_t{37}}) {
          const TUncutArea u = ComputeUncutArea(p.Face, p.Radius, layer.Moves, layer.CutLevel(), budget);
          const std::string name = std::to_string(f.x) + " x " + std::to_string(f.y) + " d " +
                                   std::to_string(f.diameter) + " mode " + std::to_string(mode) +
                                   (clearEnd ? " clean" : "") + " cells " + std::to_string(budget);
          EXPECT_LE(u.CornerArea, CornerLimit(p.Radius)) << name;
          EXPECT_GE(u.CornerArea, 0) << name;
          EXPECT_GE(u.InsideArea, 0) << name;
          EXPECT_DOUBLE_EQ(u.UncutArea, u.InsideArea + u.CornerArea) << name;
          EXPECT_LE(u.UncutArea, u.FaceArea * (1 + 1e-12)) << name;
        }
      }
    }
  }
  EXPECT_DOUBLE_EQ(CornerLimit(3), 36 - 9 * kPi);
  EXPECT_EQ(CornerLimit(0), 0);
  EXPECT_EQ(CornerLimit(-1), 0);
}

TMove Feed(double x0, double y0, double z0, double x1, double y1, double z1) {
  TMove m;
  m.Kind = TMoveKind::mkFeed;
  m.From = {x0, y0, z0};
  m.To = {x1, y1, z1};
  return m;
}

TEST(UncutArea, OnlyMovesOnTheCuttingLevelCut) {
  const TRectMM face = FaceRect(10, 6);
  const struct {
    const char* name;
    std::vector<TMove> moves;
    double uncut;
  } rows[] = {
      {"plunge sweeps a disc", {Feed(3, 3, 1, 3, 3, -1)}, 60 - 9 * kPi},
      {"a move at retract height cuts nothing",
       {Feed(3, 3, 1, 3, 3, -1), Feed(3, 3, 1, 7, 3, 1)},
       60 - 9 * kPi},
      {"a move on the level sweeps a band", {Feed(3, 3, -1, 7, 3, -1)}, 60 - 24 - 9 * kPi},
      {"a ramp cuts from where it reaches the level", {Feed(3, 3, 1, 7, 3, -1)}, 60 - 9 * kPi},
      {"a move below the level cuts too",
       {Feed(3, 3, -1, 7, 3, -1), Feed(3, 3, -1.5, 7, 3, -1.5)},
       60 - 24 - 9 * kPi},
      {"nothing cut", {}, 60},
  };
  for (const auto& r : rows) {
    const TUncutArea u = ComputeUncutArea(face, 3, r.moves, -1);
    EXPECT_NEAR(u.UncutArea, r.uncut, 0.02) << r.name;
    EXPECT_DOUBLE_EQ(u.FaceArea, 60) << r.name;
  }
}

TEST(UncutArea, FacesAndCuttersWithoutArea) {
  const std::vector<TMove> moves = {Feed(3, 3, -1, 7, 3, -1)};
  const struct {
    const char* name;
    TRectMM face;
    double radius, share, faceArea;
  } rows[] = {
      {"face of no width", FaceRect(0, 12), 3, 0, 0},
      {"face of no height", FaceRect(20, 0), 3, 0, 0},
      {"negative extents lie left of and below the origin", FaceRect(-10, -6), 3, 1, 60},
      {"a cutter of no size cuts nothing", FaceRect(10, 6), 0, 1, 60},
      {"a cutter of negative size cuts nothing", FaceRect(10, 6), -3, 1, 60},
  };
  for (const auto& r : rows) {
    const TUncutArea u = ComputeUncutArea(r.face, r.radius, moves, -1);
    // The corners' arcs a thousandth in count nowhere: 4 x pi/2 x 3 x 0.001 mm^2 of the 60.
    EXPECT_NEAR(u.Share(), r.share, 0.02 / 60) << r.name;
    EXPECT_DOUBLE_EQ(u.FaceArea, r.faceArea) << r.name;
  }
}

// The cells stay within the budget whatever the face's proportions, and the uncut rectangles tile
// exactly the uncut area.
TEST(UncutArea, RasterStaysWithinItsBudget) {
  const std::vector<TMove> moves = {Feed(3, 3, -1, 17, 3, -1)};
  const struct {
    TRectMM face;
    std::size_t budget;
  } rows[] = {{FaceRect(20, 6), 1000},     {FaceRect(3000, 2000), 4'000'000},
              {FaceRect(1e9, 1e-9), 1000}, {FaceRect(1e-9, 1e9), 1000},
              {FaceRect(20, 6), 1},        {FaceRect(20, 6), 0}};
  for (const auto& r : rows) {
    const TUncutArea u = ComputeUncutArea(r.face, 3, moves, -1, r.budget);
    EXPECT_GE(u.Columns, 1);
    EXPECT_GE(u.Rows, 1);
    EXPECT_LE(static_cast<std::size_t>(u.Columns) * u.Rows, std::max<std::size_t>(r.budget, 1));
    double inside = 0, corners = 0;
    for (const TRectMM& rect : u.Inside) inside += rect.Width() * rect.Height();
    for (const TRectMM& rect : u.Corners) corners += rect.Width() * rect.Height();
    const double cell = u.CellWidth * u.CellHeight;
    EXPECT_NEAR(inside, static_cast<double>(u.InsideCells) * cell, 1e-9 * u.FaceArea + 1e-12);
    EXPECT_NEAR(corners, static_cast<double>(u.CornerCells) * cell, 1e-9 * u.FaceArea + 1e-12);
  }
}

// Each cell's verdict against the plain definition: cut when its centre lies within the radius of some
// segment. Cells whose centre lies within a hair of a capsule's edge may go either way. Passes along Y
// (marked as whole rectangles), along X, slanted, points, segments running off the face and a face of
// negative extents, on rasters coarser and finer than the cutter.
TEST(SweptRaster, EveryCellAsTheDistanceTellsIt) {
  const auto distance = [](const TSegmentMM& s, double x, double y) {
    const double dx = s.X1 - s.X0, dy = s.Y1 - s.Y0, l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((x - s.X0) * dx + (y - s.Y0) * dy) / l2, 0.0, 1.0) : 0;
    return std::hypot(x - (s.X0 + t * dx), y - (s.Y0 + t * dy));
  };
  const struct {
    const char* name;
    TRectMM face;
    double radius;
    std::size_t budget;
    std::vector<TSegmentMM> segments;
  } rows[] = {
      {"passes along Y, cells finer than the cutter",
       FaceRect(20, 12),
       3,
       20'000,
       {{3, 3, 3, 9}, {8.5, 9, 8.5, 3}, {14, 3, 14, 9}}},
      {"passes along Y, cells coarser than the cutter",
       FaceRect(30, 20),
       0.05,
       600,
       {{0.5, 0.05, 0.5, 19.95}, {0.5015, 19.95, 0.5015, 0.05}, {17.5, 4, 17.5, 4.5}, {20.5, 4, 20.5, 4.4}}},
      {"passes along Y ending between two rows' centres",
       FaceRect(10, 10),
       0.7,
       100,
       {{2, 2.5, 2, 7.5}, {5, 2.49, 5, 7.51}, {8, 2.51, 8, 7.49}}},
      {"passes along X and a point",
       FaceRect(20, 12),
       3,
       5'000,
       {{3, 3, 17, 3}, {17, 9, 3, 9}, {10, 6, 10, 6}}},
      {"slanted and running off the face",
       FaceRect(20, 12),
       2.5,
       7'777,
       {{-5, -3, 25, 15}, {0, 12, 20, 0}, {10, -4, 10, 30}, {-3, 6, 24, 6}}},
      {"negative extents", FaceRect(-15, -9), 1.2, 3'000, {{-2, -2, -2, -7}, {-13, -2, -4, -6.5}}},
      {"a segment far outside", FaceRect(10, 10), 1, 400, {{50, 50, 60, 70}, {-20, 5, -20, 6}}},
  };
  for (const auto& r : rows) {
    TSweptRaster raster(r.face, r.radius, r.budget);
    for (const TSegmentMM& s : r.segments) raster.Add(s);
    const TUncutArea u = raster.Result();
    // The uncut cells, inside and in the corners alike, from the joined rectangles.
    std::vector<bool> uncut(static_cast<std::size_t>(u.Columns) * u.Rows, false);
    for (const auto* rects : {&u.Inside, &u.Corners})
      for (const TRectMM& rect : *rects) {
        const int i0 = static_cast<int>(std::lround((rect.X0 - u.Face.X0) / u.CellWidth));
        const int i1 = static_cast<int>(std::lround((rect.X1 - u.Face.X0) / u.CellWidth));
        const int j0 = static_cast<int>(std::lround((rect.Y0 - u.Face.Y0) / u.CellHeight));
        const int j1 = static_cast<int>(std::lround((rect.Y1 - u.Face.Y0) / u.CellHeight));
        for (int j = j0; j < j1; ++j)
          for (int i = i0; i < i1; ++i) uncut[static_cast<std::size_t>(j) * u.Columns + i] = true;
      }
    int wrong = 0, cutCells = 0;
    for (int j = 0; j < u.Rows; ++j) {
      for (int i = 0; i < u.Columns; ++i) {
        const double x = u.Face.X0 + (i + 0.5) * u.CellWidth, y = u.Face.Y0 + (j + 0.5) * u.CellHeight;
        double nearest = INFINITY;
        for (const TSegmentMM& s : r.segments) nearest = std::min(nearest, distance(s, x, y));
        if (std::abs(nearest - r.radius) < 1e-9) continue;
        const bool cut = nearest < r.radius;
        cutCells += cut;
        if (cut == uncut[static_cast<std::size_t>(j) * u.Columns + i] && ++wrong <= 5)
          ADD_FAILURE() << r.name << ": cell " << i << ", " << j << (cut ? " should be cut" : " is not cut");
      }
    }
    EXPECT_EQ(wrong, 0) << r.name;
    if (std::string(r.name) != "a segment far outside") {
      EXPECT_GT(cutCells, 0) << r.name;
    }
  }
}

// A raster cleared forgets every path: the same as a new one.
TEST(SweptRaster, ClearForgetsEveryPath) {
  TSweptRaster raster(FaceRect(20, 12), 3, 10'000);
  raster.Add({3, 3, 17, 9});
  raster.Add({3, 3, 3, 9});
  raster.Clear();
  raster.Add({3, 3, 17, 3});
  const TUncutArea once = raster.Result();
  const TUncutArea fresh =
      ComputeUncutArea(FaceRect(20, 12), 3, std::vector<TMove>{Feed(3, 3, 0, 17, 3, 0)}, 0, 10'000);
  EXPECT_EQ(once.InsideCells, fresh.InsideCells);
  EXPECT_EQ(once.CornerCells, fresh.CornerCells);
  EXPECT_EQ(once.InsideArea, fresh.InsideArea);
}

// Streamed one move at a time, the deepest level only known at the end: the same cells as all the moves at
// once on the layer's level. The moves above it come first, between and last.
TEST(LevelSweep, SameAsAllMovesOnTheDeepestLevel) {
  const struct {
    const char* name;
    std::vector<TMove> moves;
  } rows[] = {
      {"approach, plunge, passes, retract",
       {Feed(3, 3, 2, 3, 3, 2), Feed(3, 3, 2, 3, 3, -1), Feed(3, 3, -1, 17, 3, -1),
        Feed(17, 3, -1, 17, 9, -1), Feed(17, 9, -1, 17, 9, 2), Feed(17, 9, 2, 3, 9, 2)}},
      {"a shallow level, then a deeper one",
       {Feed(3, 3, 0, 17, 9, 0), Feed(17, 9, 0, 3, 9, -0.5), Feed(3, 9, -0.5, 3, 3, -0.5),
        Feed(3, 3, -0.5, 9, 3, -2), Feed(9, 3, -2, 17, 3, -2)}},
      {"a ramp down and a pass at the bottom", {Feed(3, 3, 1, 17, 9, -1), Feed(17, 9, -1, 3, 9, -1)}},
      {"nothing", {}},
  };
  for (const auto& r : rows) {
    TLevelSweep sweep(FaceRect(20, 12), 3, 50'000);
    double level = INFINITY;
    for (const TMove& m : r.moves) {
      sweep.Add(m);
      level = std::min({level, m.From.Z, m.To.Z});
    }
    const TUncutArea streamed = sweep.Result();
    const TUncutArea whole = ComputeUncutArea(FaceRect(20, 12), 3, r.moves, level, 50'000);
    EXPECT_EQ(streamed.InsideCells, whole.InsideCells) << r.name;
    EXPECT_EQ(streamed.CornerCells, whole.CornerCells) << r.name;
    EXPECT_EQ(streamed.InsideArea, whole.InsideArea) << r.name;
    EXPECT_EQ(streamed.CornerArea, whole.CornerArea) << r.name;
  }
}

// The figures streamed from the generator without keeping a move are those of the kept moves, to the last
// bit: every strategy, several layers, both retract modes, the centre pass, faces of negative extents.
// The figures tell what the first level leaves, whatever later layers sweep: here the second layer clears
// the whole face, the first only one row.
TEST(MeasureProgram, FiguresAreTheFirstLevelsWhateverLaterLayersDo) {
  const std::vector<std::string> first = {"G00 F1000 X3.000 Y3.000 Z2.000", "G01 F120 Z-1.000", "G01 X17.000"};
  std::vector<std::string> both = first;
  both.insert(both.end(), {"( \xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE: 2 )", "G00 F1000 Z1.000", "G01 X3.000 Y3.000",
                           "G01 F120 Z-2.000", "G01 Y9.000", "G01 X17.000", "G01 Y3.000"});
  const auto inside = [](const std::vector<std::string>& lines) {
    TFirstLevelMeasure measure(FaceRect(20, 12), 3, kDefaultCellBudget);
    TLayerMarkReader marks(measure);
    for (const auto& line : lines) marks.AddLine(line);
    return measure.Uncut().InsideCells;
  };
  EXPECT_GT(inside(first), 0u);
  EXPECT_EQ(inside(both), inside(first));
}

TEST(MeasureProgram, SameFiguresAsThePreviewOfTheFirstLayer) {
  std::mt19937 random(15);
  const auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  for (int i = 0; i < 36; ++i) {
    const double diameter = uniform(0.5, 10);
    TJobEntries e = Job(std::round(uniform(1, 220) * 10) / 10,
                        std::round(uniform(1, 220) * 10) / 10, diameter, uniform(-0.3, 0.9) * diameter,
                        kModeSpiral + i % 3, i % 2 == 0, 1 + i % 3);
    e.FinishCentre = i % 4 == 0;
    e.ZUpAbs = i % 6 == 1;
    const std::string name = "job " + std::to_string(i);
    if (!ErrorOf([&] { (void)CheckJob(e); }).empty()) continue;  // a face narrower than the cutter
    const std::size_t budget = 20'000 + 997 * static_cast<std::size_t>(i);
    const TToolpathPreview p = BuildPreview(CheckJob(e));
    const TPreviewScene scene = BuildScene(p, 0, true, budget);
    const TProgramMeasure m = MeasureProgram(CheckJob(e), budget);
    EXPECT_EQ(m.Figures.Lines, p.Figures.Lines) << name;
    EXPECT_EQ(m.Figures.FeedLength, p.Figures.FeedLength) << name;
    EXPECT_EQ(m.Uncut.InsideCells, scene.Uncut.InsideCells) << name;
    EXPECT_EQ(m.Uncut.CornerCells, scene.Uncut.CornerCells) << name;
    EXPECT_EQ(m.Uncut.InsideArea, scene.Uncut.InsideArea) << name;
    EXPECT_EQ(m.Uncut.CornerArea, scene.Uncut.CornerArea) << name;
  }
}

// The reader reports its progress every so many lines, and an exception from the report ends the run.
TEST(MeasureProgram, ProgressTicksAndStops) {
  std::vector<std::uint64_t> ticks;
  TReadProgress progress{[&](std::uint64_t lines) { ticks.push_back(lines); }, 10};
  const TProgramMeasure m =
      MeasureProgram(CheckJob(Job(20, 12, 6, 0.5, kModeSpiral, true, 2)), 1000, progress);
  ASSERT_EQ(m.Figures.Lines, 48u);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{10, 20, 30, 40}));

  struct TStop {};
  progress.Tick = [](std::uint64_t lines) {
    if (lines == 20) throw TStop{};
  };
  EXPECT_THROW((void)BuildPreview(CheckJob(Job(20, 12, 6, 0.5, kModeSpiral, true, 2)), true, progress),
               TStop);
}

}  // namespace

// From about 0.3 x the radius of overcut, the cutter's round side reaches every corner of the face:
// nothing stays there, for every strategy, with and without the edge clean.
TEST(UncutArea, AnOvercutOfAThirdOfTheRadiusCutsTheCorners) {
  std::mt19937 random(20261210);
  const auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  for (int i = 0; i < 40; ++i) {
    const double diameter = uniform(2, 12);
    TJobEntries e = Job(std::round(uniform(diameter * 1.5, 120) * 10) / 10,
                        std::round(uniform(diameter * 1.5, 120) * 10) / 10, diameter,
                        uniform(0.1, 0.5) * diameter, 1 + i % 3, random() % 2 == 0);
    e.Overcut = diameter / 2 * uniform(0.3, 2.5);
    const TToolpathPreview p = BuildPreview(CheckJob(e));
    const TUncutArea u =
        ComputeUncutArea(p.Face, p.Radius, p.Layers[0].Moves, p.Layers[0].CutLevel(), 1'000'000);
    EXPECT_EQ(u.CornerArea, 0) << e.XPos << " x " << e.YPos << " d " << diameter << " overcut " << e.Overcut
                               << " mode " << e.Mode;
    e.Overcut = 0;
    const TToolpathPreview q = BuildPreview(CheckJob(e));
    EXPECT_GT(
        ComputeUncutArea(q.Face, q.Radius, q.Layers[0].Moves, q.Layers[0].CutLevel(), 1'000'000).CornerArea,
        0);
  }
}
