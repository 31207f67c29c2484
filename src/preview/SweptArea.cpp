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

std::vector<TSegmentMM> CuttingSegments(std::span<const TMove> moves, double level) {
  std::vector<TSegmentMM> segments;
  const double top = level + kLevelTolerance;
  for (const TMove& m : moves) {
    const bool fromIn = m.From.Z <= top, toIn = m.To.Z <= top;
    if (fromIn && toIn) {
      segments.push_back({m.From.X, m.From.Y, m.To.X, m.To.Y});
    } else if (fromIn != toIn) {
      // Only the piece below the level cuts on it.
      const double t = (top - m.From.Z) / (m.To.Z - m.From.Z);
      const double cx = m.From.X + (m.To.X - m.From.X) * t, cy = m.From.Y + (m.To.Y - m.From.Y) * t;
      if (fromIn)
        segments.push_back({m.From.X, m.From.Y, cx, cy});
      else
        segments.push_back({cx, cy, m.To.X, m.To.Y});
    }
    // A retract or plunge where the last path ended adds nothing to it.
    const std::size_t n = segments.size();
    if (n >= 2) {
      const TSegmentMM& s = segments[n - 1];
      const TSegmentMM& before = segments[n - 2];
      if (s.X0 == s.X1 && s.Y0 == s.Y1 && s.X0 == before.X1 && s.Y0 == before.Y1) segments.pop_back();
    }
  }
  return segments;
}

TUncutArea ComputeUncutArea(const TRectMM& face, double radius, std::span<const TMove> moves, double level,
                            std::size_t cellBudget) {
  TUncutArea result;
  result.Face = face;
  result.FaceArea = face.Width() * face.Height();
  if (!(result.FaceArea > 0) || !std::isfinite(result.FaceArea)) {
    result.FaceArea = 0;
    return result;
  }
  cellBudget = std::max<std::size_t>(cellBudget, 1);
  const double budget = static_cast<double>(cellBudget);
  const double side = std::sqrt(result.FaceArea / budget);
  const double columns = std::clamp(std::ceil(face.Width() / side), 1.0, budget);
  const double rows =
      std::clamp(std::ceil(face.Height() / side), 1.0, std::max(1.0, std::floor(budget / columns)));
  const int nx = static_cast<int>(columns), ny = static_cast<int>(rows);
  const double hx = face.Width() / nx, hy = face.Height() / ny;
  result.Columns = nx;
  result.Rows = ny;
  result.CellWidth = hx;
  result.CellHeight = hy;

  std::vector<std::uint8_t> cut(static_cast<std::size_t>(nx) * ny, kUncut);
  if (radius > 0) {
    for (const TSegmentMM& s : CuttingSegments(moves, level)) {
      const double yLo = std::min(s.Y0, s.Y1) - radius, yHi = std::max(s.Y0, s.Y1) + radius;
      // Rows whose centre y = Y0 + (j + 0.5) * hy lies in [yLo, yHi].
      const int j0 = static_cast<int>(std::clamp(std::ceil((yLo - face.Y0) / hy - 0.5), 0.0, double(ny)));
      const int j1 = static_cast<int>(std::clamp(std::floor((yHi - face.Y0) / hy - 0.5), -1.0, ny - 1.0));
      for (int j = j0; j <= j1; ++j) {
        const TInterval in = CapsuleOnLine(s, radius, face.Y0 + (j + 0.5) * hy);
        if (in.Empty()) continue;
        const double i0 = std::clamp(std::ceil((in.Lo - face.X0) / hx - 0.5), 0.0, double(nx));
        const double i1 = std::clamp(std::floor((in.Hi - face.X0) / hx - 0.5), -1.0, nx - 1.0);
        if (i1 < i0) continue;
        std::uint8_t* row = cut.data() + static_cast<std::size_t>(j) * nx;
        std::fill(row + static_cast<int>(i0), row + static_cast<int>(i1) + 1, kCut);
      }
    }
  }

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
