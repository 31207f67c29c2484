#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "preview/SweptArea.h"
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

// The share of the face each layer leaves standing, worked out by hand from the moves the job writes. A
// corner that a cutter of radius r reaches only with its round side keeps r^2 (1 - pi/4).
TEST(UncutArea, SharesOfSmallJobsByHand) {
  const struct {
    const char* name;
    TJobEntries job;
    double share;
  } rows[] = {
      // The worked example: the spiral and the edge clean reach everything but the four corners.
      {"plate, spiral with edge clean, 2 layers", Job(20, 12, 6, 0.5, kModeSpiral, true, 2),
       (36 - 9 * kPi) / 240},
      // One pass along Y 3 from X 3 to 17: the ends beyond X 3 and X 17 keep 3 x 6 less a half disc each.
      {"one pass along X", Job(20, 6, 6, 0.5, kModeXZigzag, false), 2 * (18 - 4.5 * kPi) / 120},
      // A negative overlap spaces the rows 8 apart (Y 3, 11, clamped 17): a strip 2 high from X 3 to 14
      // stays, the left side between the discs at Y 3 and 11 keeps 24 - 4.5 pi, the right side between
      // Y 11 and 17 keeps 18 - 4.5 pi, and the four corners.
      {"strips left by a gap between rows", Job(20, 20, 6, -2, kModeXZigzag, false),
       (22 + (24 - 4.5 * kPi) + (18 - 4.5 * kPi) + (36 - 9 * kPi)) / 400},
      // The same mirrored: passes along Y.
      {"strips left by a gap between columns", Job(20, 20, 6, -2, kModeYZigzag, false),
       (22 + (24 - 4.5 * kPi) + (18 - 4.5 * kPi) + (36 - 9 * kPi)) / 400},
      // A face no larger than the cutter: the one plunge and a zero-length leg sweep one disc.
      {"face the size of the cutter", Job(6, 6, 6, 0.5, kModeSpiral, false), (36 - 9 * kPi) / 36},
  };
  for (const auto& r : rows) {
    const TToolpathPreview p = BuildPreview(r.job);
    for (const TLayerPath& layer : p.Layers) {
      const TUncutArea u = ComputeUncutArea(p.Face, p.Radius, layer.Moves, layer.CutLevel());
      // Cells of a tiny fraction of a millimetre: the raster is off by far less than this.
      EXPECT_NEAR(u.Share(), r.share, 2e-4) << r.name << ", layer " << layer.Index + 1;
      EXPECT_NEAR(u.FaceArea, p.Face.Width() * p.Face.Height(), 1e-9) << r.name;
    }
  }
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
    EXPECT_DOUBLE_EQ(u.Share(), r.share) << r.name;
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
    double tiled = 0;
    for (const TRectMM& rect : u.Uncut) tiled += rect.Width() * rect.Height();
    EXPECT_NEAR(tiled, u.UncutArea, 1e-9 * u.FaceArea + 1e-12);
  }
}

}  // namespace
