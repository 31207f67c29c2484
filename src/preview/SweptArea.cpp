#include "preview/SweptArea.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

}  // namespace

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

  std::vector<std::uint8_t> cut(static_cast<std::size_t>(nx) * ny, 0);
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
        std::fill(row + static_cast<int>(i0), row + static_cast<int>(i1) + 1, std::uint8_t{1});
      }
    }
  }

  // Count the cells left and join them into rectangles: a run that the row below had too grows upwards.
  struct TRun {
    int I0, I1;
    std::size_t Rect;
  };
  std::vector<TRun> previous, current;
  std::size_t uncutCells = 0;
  for (int j = 0; j < ny; ++j) {
    const std::uint8_t* row = cut.data() + static_cast<std::size_t>(j) * nx;
    current.clear();
    std::size_t p = 0;
    for (int i = 0; i < nx;) {
      if (row[i]) {
        ++i;
        continue;
      }
      int e = i;
      while (e < nx && !row[e]) ++e;
      uncutCells += static_cast<std::size_t>(e - i);
      while (p < previous.size() && previous[p].I0 < i) ++p;
      std::size_t rect;
      if (p < previous.size() && previous[p].I0 == i && previous[p].I1 == e) {
        rect = previous[p].Rect;
        result.Uncut[rect].Y1 = face.Y0 + (j + 1) * hy;
      } else {
        rect = result.Uncut.size();
        result.Uncut.push_back(
            {face.X0 + i * hx, face.Y0 + j * hy, face.X0 + e * hx, face.Y0 + (j + 1) * hy});
      }
      current.push_back({i, e, rect});
      i = e;
    }
    std::swap(previous, current);
  }
  result.UncutArea = static_cast<double>(uncutCells) * hx * hy;
  return result;
}
