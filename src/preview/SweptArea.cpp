#include "preview/SweptArea.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

// Levels are written with three decimals; anything within this of the level is on it.
constexpr double kLevelTolerance = 1e-6;

struct TInterval {
  double Lo = INFINITY, Hi = -INFINITY;
  [[nodiscard]] bool Empty() const { return !(Lo <= Hi); }
  void Join(const TInterval& o) {
    if (o.Empty()) return;
    Lo = std::min(Lo, o.Lo);
    Hi = std::max(Hi, o.Hi);
  }
};

// The t with lo <= a * t + b <= hi.
TInterval Solve(double a, double b, double lo, double hi) {
  if (std::abs(a) < 1e-12) return (b >= lo && b <= hi) ? TInterval{-INFINITY, INFINITY} : TInterval{};
  double t0 = (lo - b) / a, t1 = (hi - b) / a;
  if (t0 > t1) std::swap(t0, t1);
  return {t0, t1};
}

TInterval DiscOnLine(double cx, double cy, double r, double y) {
  const double dy = y - cy;
  if (std::abs(dy) > r) return {};
  const double w = std::sqrt(r * r - dy * dy);
  return {cx - w, cx + w};
}

// The x where the line at height y runs within r of the segment: the capsule is convex, so it is one
// interval, the hull of the two end discs and the band along the segment.
TInterval CapsuleOnLine(const TSegmentMM& s, double r, double y) {
  TInterval result = DiscOnLine(s.X0, s.Y0, r, y);
  result.Join(DiscOnLine(s.X1, s.Y1, r, y));
  const double dx = s.X1 - s.X0, dy = s.Y1 - s.Y0;
  const double length = std::hypot(dx, dy);
  if (length > 0) {
    const double ux = dx / length, uy = dy / length;
    // Across the segment: |-uy * (x - x0) + ux * (y - y0)| <= r; along it: 0 <= ux * (x - x0) + uy * (y - y0)
    // <= L.
    TInterval across = Solve(-uy, ux * (y - s.Y0), -r, r);
    const TInterval along = Solve(ux, uy * (y - s.Y0), 0, length);
    across.Lo = std::max(across.Lo, along.Lo);
    across.Hi = std::min(across.Hi, along.Hi);
    if (!across.Empty()) result.Join({across.Lo + s.X0, across.Hi + s.X0});
  }
  return result;
}

// A cell is uncut, cut, uncut in a corner piece, or uncut on the thin arc along a corner piece.
constexpr std::uint8_t kUncut = 0, kCut = 1, kUncutCorner = 2, kUncutArc = 3;

// The program writes the corner point (R, R) with three decimals, so the cutter may stand up to half a
// thousandth further in on each axis: a crescent this thin along the arc that bounds a corner piece counts
// neither as corner nor as material left inside.
constexpr double kProgramResolution = 0.001;

struct TCornerCount {
  std::size_t Cells = 0, Uncut = 0, ArcCells = 0;
};

// Marks the uncut cells whose centre lies in a corner piece that a cutter of `radius` whose centre stays
// `radius` inside can never reach, and those on the thin arc along it; counts them.
TCornerCount MarkCorners(std::vector<std::uint8_t>& cells, int nx, int ny, double hx, double hy,
                         double radius) {
  TCornerCount count;
  const double width = nx * hx, height = ny * hy;
  const double inner = std::max(radius - kProgramResolution, 0.0);
  // 2 beyond the arc, 1 on it, 0 elsewhere.
  const auto place = [&](double dx, double dy) {
    if (!(dx < radius && dy < radius)) return 0;
    const double d2 = (radius - dx) * (radius - dx) + (radius - dy) * (radius - dy);
    return d2 > radius * radius ? 2 : d2 > inner * inner ? 1 : 0;
  };
  // Columns whose centre lies within `radius` of the left edge, and the first within it of the right one.
  const int left = static_cast<int>(std::clamp(std::ceil(radius / hx - 0.5), 0.0, double(nx)));
  const int right =
      static_cast<int>(std::clamp(std::floor((width - radius) / hx - 0.5) + 1, 0.0, double(nx)));
  for (int j = 0; j < ny; ++j) {
    const double bottom = (j + 0.5) * hy, top = height - bottom;
    if (bottom >= radius && top >= radius) continue;
    std::uint8_t* row = cells.data() + static_cast<std::size_t>(j) * nx;
    const auto visit = [&](int i) {
      const double l = (i + 0.5) * hx, r = width - l;
      const int where = std::max({place(l, bottom), place(r, bottom), place(l, top), place(r, top)});
      if (where == 2) {
        ++count.Cells;
        if (row[i] == kUncut) {
          row[i] = kUncutCorner;
          ++count.Uncut;
        }
      } else if (where == 1) {
        ++count.ArcCells;
        if (row[i] == kUncut) row[i] = kUncutArc;
      }
    };
    for (int i = 0; i < left; ++i) visit(i);
    for (int i = std::max(left, right); i < nx; ++i) visit(i);
  }
  return count;
}

// Joins the cells of one kind into rectangles: a run that the row below had too grows upwards.
std::vector<TRectMM> JoinCells(const std::vector<std::uint8_t>& cells, int nx, int ny, std::uint8_t kind,
                               const TRectMM& face, double hx, double hy, std::size_t& count) {
  struct TRun {
    int I0, I1;
    std::size_t Rect;
  };
  std::vector<TRectMM> rects;
  std::vector<TRun> previous, current;
  count = 0;
  for (int j = 0; j < ny; ++j) {
    const std::uint8_t* row = cells.data() + static_cast<std::size_t>(j) * nx;
    current.clear();
    std::size_t p = 0;
    for (int i = 0; i < nx;) {
      if (row[i] != kind) {
        ++i;
        continue;
      }
      int e = i;
      while (e < nx && row[e] == kind) ++e;
      count += static_cast<std::size_t>(e - i);
      while (p < previous.size() && previous[p].I0 < i) ++p;
      std::size_t rect;
      if (p < previous.size() && previous[p].I0 == i && previous[p].I1 == e) {
        rect = previous[p].Rect;
        rects[rect].Y1 = face.Y0 + (j + 1) * hy;
      } else {
        rect = rects.size();
        rects.push_back({face.X0 + i * hx, face.Y0 + j * hy, face.X0 + e * hx, face.Y0 + (j + 1) * hy});
      }
      current.push_back({i, e, rect});
      i = e;
    }
    std::swap(previous, current);
  }
  return rects;
}

}  // namespace

double CornerLimit(double radius) {
  return radius > 0 ? 4 * radius * radius * (1 - std::numbers::pi / 4) : 0;
}

TRectMM FaceRect(double xPos, double yPos) {
  return {std::min(0.0, xPos), std::min(0.0, yPos), std::max(0.0, xPos), std::max(0.0, yPos)};
}

namespace {

// The piece of `m` at or below `top` (the top of the cutting level), if any.
bool PieceAtLevel(const TMove& m, double top, TSegmentMM& piece) {
  const bool fromIn = m.From.Z <= top, toIn = m.To.Z <= top;
  if (fromIn && toIn) {
    piece = {m.From.X, m.From.Y, m.To.X, m.To.Y};
    return true;
  }
  if (fromIn == toIn) return false;
  // Only the piece below the level cuts on it.
  const double t = (top - m.From.Z) / (m.To.Z - m.From.Z);
  const double cx = m.From.X + (m.To.X - m.From.X) * t, cy = m.From.Y + (m.To.Y - m.From.Y) * t;
  piece = fromIn ? TSegmentMM{m.From.X, m.From.Y, cx, cy} : TSegmentMM{cx, cy, m.To.X, m.To.Y};
  return true;
}

}  // namespace

std::vector<TSegmentMM> CuttingSegments(std::span<const TMove> moves, double level) {
  std::vector<TSegmentMM> segments;
  const double top = level + kLevelTolerance;
  for (const TMove& m : moves) {
    TSegmentMM piece;
    if (!PieceAtLevel(m, top, piece)) continue;
    // A retract or plunge where the last path ended adds nothing to it.
    if (!segments.empty() && piece.X0 == piece.X1 && piece.Y0 == piece.Y1 && piece.X0 == segments.back().X1 &&
        piece.Y0 == segments.back().Y1)
      continue;
    segments.push_back(piece);
  }
  return segments;
}

void TLevelSweep::Add(const TMove& move) {
  const double deepest = std::min(move.From.Z, move.To.Z);
  // The program's levels lie thousandths apart, far more than the tolerance: nothing swept above a
  // deeper level cuts on it.
  if (!any_ || deepest < level_) {
    if (any_) raster_.Clear();
    level_ = deepest;
    any_ = true;
  }
  TSegmentMM piece;
  if (PieceAtLevel(move, level_ + kLevelTolerance, piece)) raster_.Add(piece);
}

TSweptRaster::TSweptRaster(const TRectMM& face, double radius, std::size_t cellBudget) : radius_(radius) {
  TUncutArea& r = shape_;
  r.Face = face;
  r.FaceArea = face.Width() * face.Height();
  if (!(r.FaceArea > 0) || !std::isfinite(r.FaceArea)) {
    r.FaceArea = 0;
    return;
  }
  cellBudget = std::max<std::size_t>(cellBudget, 1);
  const double budget = static_cast<double>(cellBudget);
  const double side = std::sqrt(r.FaceArea / budget);
  const double columns = std::clamp(std::ceil(face.Width() / side), 1.0, budget);
  const double rows =
      std::clamp(std::ceil(face.Height() / side), 1.0, std::max(1.0, std::floor(budget / columns)));
  r.Columns = static_cast<int>(columns);
  r.Rows = static_cast<int>(rows);
  r.CellWidth = face.Width() / r.Columns;
  r.CellHeight = face.Height() / r.Rows;
}

void TSweptRaster::Clear() {
  std::fill(marks_.begin(), marks_.end(), 0);
  beyond_ = 0;
}

void TSweptRaster::MarkRows(int row0, int row1, double lo, double hi) {
  const TUncutArea& r = shape_;
  const double i0 = std::clamp(std::ceil((lo - r.Face.X0) / r.CellWidth - 0.5), 0.0, double(r.Columns));
  const double i1 = std::clamp(std::floor((hi - r.Face.X0) / r.CellWidth - 0.5), -1.0, r.Columns - 1.0);
  if (i1 < i0) return;
  if (marks_.empty()) marks_.assign(static_cast<std::size_t>(r.Columns + 1) * (r.Rows + 1), 0);
  const std::size_t stride = static_cast<std::size_t>(r.Columns) + 1;
  const std::size_t c0 = static_cast<std::size_t>(i0), c1 = static_cast<std::size_t>(i1) + 1;
  std::int32_t* first = marks_.data() + static_cast<std::size_t>(row0) * stride;
  std::int32_t* after = marks_.data() + (static_cast<std::size_t>(row1) + 1) * stride;
  ++first[c0];
  --first[c1];
  --after[c0];
  ++after[c1];
}

void TSweptRaster::MarkRow(int row, double lo, double hi) {
  MarkRows(row, row, lo, hi);
}

void TSweptRaster::Add(const TSegmentMM& s) {
  const TUncutArea& r = shape_;
  if (!(radius_ > 0) || r.Columns == 0) return;
  beyond_ = std::max(
      {beyond_, r.Face.X0 - (std::min(s.X0, s.X1) - radius_), std::max(s.X0, s.X1) + radius_ - r.Face.X1,
       r.Face.Y0 - (std::min(s.Y0, s.Y1) - radius_), std::max(s.Y0, s.Y1) + radius_ - r.Face.Y1});
  const double hy = r.CellHeight, y0 = r.Face.Y0;
  const int ny = r.Rows;
  const auto rowY = [&](int j) { return y0 + (j + 0.5) * hy; };
  const double yLo = std::min(s.Y0, s.Y1) - radius_, yHi = std::max(s.Y0, s.Y1) + radius_;
  // Rows whose centre y = Y0 + (j + 0.5) * hy lies in [yLo, yHi].
  const int j0 = static_cast<int>(std::clamp(std::ceil((yLo - y0) / hy - 0.5), 0.0, double(ny)));
  const int j1 = static_cast<int>(std::clamp(std::floor((yHi - y0) / hy - 0.5), -1.0, ny - 1.0));
  const auto row = [&](int j) {
    const TInterval in = CapsuleOnLine(s, radius_, rowY(j));
    if (!in.Empty()) MarkRow(j, in.Lo, in.Hi);
  };
  if (s.X0 != s.X1 || s.Y0 == s.Y1) {
    for (int j = j0; j <= j1; ++j) row(j);
    return;
  }
  // A pass along Y: every row whose centre lies between the two ends meets the band itself, the same
  // interval [X - r, X + r] (the end discs are no wider); the rows beyond meet only an end disc.
  const double lo = std::min(s.Y0, s.Y1), hi = std::max(s.Y0, s.Y1);
  int a = static_cast<int>(std::clamp(std::ceil((lo - y0) / hy - 0.5), double(j0), j1 + 1.0));
  while (a > j0 && rowY(a - 1) >= lo) --a;
  while (a <= j1 && rowY(a) < lo) ++a;
  int b = static_cast<int>(std::clamp(std::floor((hi - y0) / hy - 0.5), a - 1.0, double(j1)));
  while (b < j1 && rowY(b + 1) <= hi) ++b;
  while (b >= a && rowY(b) > hi) --b;
  for (int j = j0; j < a; ++j) row(j);
  if (a <= b) {
    const TInterval band = CapsuleOnLine(s, radius_, rowY(a));
    if (!band.Empty()) MarkRows(a, b, band.Lo, band.Hi);
  }
  for (int j = std::max(b + 1, a); j <= j1; ++j) row(j);
}

TUncutArea TSweptRaster::Result() const {
  TUncutArea result = shape_;
  if (result.Columns == 0) return result;
  // The band of a cutter kept R inside the face ends on its edge, give or take the numbers' rounding.
  result.Beyond = beyond_ > kLevelTolerance ? beyond_ : 0;
  const int nx = result.Columns, ny = result.Rows;
  const double hx = result.CellWidth, hy = result.CellHeight;
  const TRectMM& face = result.Face;

  // The differences summed along each row and down each column: the number of paths over each cell.
  std::vector<std::uint8_t> cut(static_cast<std::size_t>(nx) * ny, kUncut);
  if (!marks_.empty()) {
    const std::size_t stride = static_cast<std::size_t>(nx) + 1;
    std::vector<std::int64_t> above(static_cast<std::size_t>(nx), 0);
    for (int j = 0; j < ny; ++j) {
      const std::int32_t* marks = marks_.data() + static_cast<std::size_t>(j) * stride;
      std::uint8_t* row = cut.data() + static_cast<std::size_t>(j) * nx;
      std::int64_t run = 0;
      for (int i = 0; i < nx; ++i) {
        run += marks[i];
        above[static_cast<std::size_t>(i)] += run;
        if (above[static_cast<std::size_t>(i)] > 0) row[i] = kCut;
      }
    }
  }
  const double radius = radius_;

  // The cells no cutter that stays inside can reach are told from the rest before anything is counted.
  const TCornerCount corners = radius > 0 ? MarkCorners(cut, nx, ny, hx, hy, radius) : TCornerCount{};

  const double cellArea = hx * hy;
  result.Inside = JoinCells(cut, nx, ny, kUncut, face, hx, hy, result.InsideCells);
  result.Corners = JoinCells(cut, nx, ny, kUncutCorner, face, hx, hy, result.CornerCells);
  const double limit = CornerLimit(radius);
  const double inner = std::max(radius - kProgramResolution, 0.0);
  const double arcs = radius > 0 ? std::numbers::pi * (radius * radius - inner * inner) : 0;
  const std::size_t otherCells = static_cast<std::size_t>(nx) * ny - corners.Cells - corners.ArcCells;
  if (face.Width() >= 2 * radius && face.Height() >= 2 * radius && corners.Cells > 0 && otherCells > 0) {
    // The four corner pieces are whole and apart, so each part of the face has a known area: each figure
    // is the share of its part's cells left, of that part's exact area. The raster's ragged edge along
    // the quarter circles never counts as material, and the corner figure never exceeds what a round
    // cutter must leave.
    result.CornerArea = limit * (static_cast<double>(corners.Uncut) / static_cast<double>(corners.Cells));
    result.InsideArea = (result.FaceArea - limit - arcs) *
                        (static_cast<double>(result.InsideCells) / static_cast<double>(otherCells));
  } else {
    // A face narrower than the cutter (the corner pieces overlap and are cut off by the far edges), or
    // cells too coarse to hold a corner piece.
    result.CornerArea = std::min(static_cast<double>(corners.Uncut) * cellArea, limit);
    result.InsideArea = static_cast<double>(result.InsideCells) * cellArea;
  }
  result.UncutArea = result.InsideArea + result.CornerArea;
  return result;
}

TUncutArea ComputeUncutArea(const TRectMM& face, double radius, std::span<const TMove> moves, double level,
                            std::size_t cellBudget) {
  TSweptRaster raster(face, radius, cellBudget);
  if (radius > 0)
    for (const TSegmentMM& s : CuttingSegments(moves, level)) raster.Add(s);
  return raster.Result();
}
