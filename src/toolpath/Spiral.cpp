#include <algorithm>
#include <array>
#include <cmath>

#include "toolpath/Emitters.h"
#include "toolpath/Strategies.h"

namespace {

// What the last written leg moved along; two legs in a row on one axis mean the spiral has closed.
enum TSpiralAxis { saDone = 0, saY = 1, saX = 2, saStart = 5 };

void EdgeClean(const TFacingJob& job, TGCodeFile& list) {
  const double R = job.Radius, C = job.Cross, X = job.XPos, Y = job.YPos, Z = job.CutZ;
  const auto plunge = [&] { AddMoveFZ(list, 1, job.Fro, Z); };
  // On a face less than two cutters wide (or tall) the diagonals' turning points lie beside the face; the
  // cutter centre stays on the face, so the cutter never reaches more than its radius past an edge.
  const auto onX = [X](double x) { return std::clamp(x, 0.0, X); };
  const auto onY = [Y](double y) { return std::clamp(y, 0.0, Y); };

  AddRetract(job, list);
  AddMoveXY(list, 0, onX(R * 3 - C), R);  // where the first turn's leftward leg ended
  plunge();
  if (Y > X) {
    AddMoveXY(list, 1, X / 2, onY(X / 2 - R * 2));
    AddMoveX(list, 1, onX(X / 2 + R * 2));
    AddMoveXY(list, 1, X - R, R);
    AddRetract(job, list);
    AddMoveY(list, 0, Y - R);
    plunge();
    AddMoveXY(list, 1, X / 2, Y - X / 2);
    AddMoveXY(list, 1, R, Y - R);
  } else {
    AddMoveXY(list, 1, Y / 2, onY(Y / 2 - R * 2));
    AddMoveY(list, 1, Y / 2);
    AddMoveXY(list, 1, R, Y - R);
    AddRetract(job, list);
    AddMoveX(list, 0, X - R);
    plunge();
    AddMoveXY(list, 1, X - Y / 2, Y / 2);
    AddMoveXY(list, 1, X - R, R);
  }
}

// The cutter centre's last positions on the spiral: the box they span holds whatever its innermost turns
// left, because every point outside the last two turns lies between two turns less than a cutter apart.
class TSpiralTrack {
 public:
  TSpiralTrack(double x, double y) : x_(x), y_(y) { Keep(); }
  void MoveX(double x) {
    x_ = x;
    Keep();
  }
  void MoveY(double y) {
    y_ = y;
    Keep();
  }
  [[nodiscard]] double X() const { return x_; }
  [[nodiscard]] double Y() const { return y_; }
  // The box of the start of the last eight legs and every point they reached; reaching out to the right
  // and top bounds of the cutter centre (xEdge, yEdge) when the spiral never got there (on a face narrower
  // than its first turn, the first right or up leg is never written).
  void Box(double xEdge, double yEdge, double& x0, double& y0, double& x1, double& y1) const {
    x0 = x1 = x_;
    y0 = y1 = y_;
    for (std::size_t i = 0; i < count_; ++i) {
      x0 = std::min(x0, points_[i][0]);
      x1 = std::max(x1, points_[i][0]);
      y0 = std::min(y0, points_[i][1]);
      y1 = std::max(y1, points_[i][1]);
    }
    if (maxX_ < xEdge) x1 = std::max(x1, xEdge);
    if (maxY_ < yEdge) y1 = std::max(y1, yEdge);
  }

 private:
  void Keep() {
    maxX_ = std::max(maxX_, x_);
    maxY_ = std::max(maxY_, y_);
    points_[next_] = {x_, y_};
    next_ = (next_ + 1) % points_.size();
    count_ = std::min(count_ + 1, points_.size());
  }
  double x_, y_;
  double maxX_ = -INFINITY, maxY_ = -INFINITY;
  std::array<std::array<double, 2>, 9> points_{};
  std::size_t next_ = 0, count_ = 0;
};

void CentrePass(const TFacingJob& job, const TSpiralTrack& track, TGCodeFile& list) {
  const double R = job.Radius, C = job.Cross, X = job.XPos;
  double x0, y0, x1, y1;
  track.Box(X - R, job.YPos - R, x0, y0, x1, y1);
  const double step = CentrePassStep(R, C);
  // Rows along the box's longer side, evenly spread over the shorter one, first and last on its edges.
  const bool alongY = y1 - y0 >= x1 - x0;
  const double from = alongY ? x0 : y0, to = alongY ? x1 : y1;
  // The job check has bounded the number of rows with the program's size.
  const int gaps = step > 0 ? static_cast<int>(std::ceil((to - from) / step)) : 0;
  bool forward = true;
  for (int i = 0; i <= gaps; ++i) {
    const double across = gaps == 0 ? from : from + (to - from) * i / gaps;
    if (alongY) {
      AddMoveXY(list, 1, across, forward ? y0 : y1);
      AddMoveY(list, 1, forward ? y1 : y0);
    } else {
      AddMoveXY(list, 1, forward ? x0 : x1, across);
      AddMoveX(list, 1, forward ? x1 : x0);
    }
    forward = !forward;
  }

  // Where the spiral turns, the round outside of a turn's corner lies a pass step in from the square
  // inside corner of the turn before: with a small overlap a sliver stays at every corner, all of them on
  // the four diagonals through the corners (the spiral's first upward leg starts a pass step left of the
  // bottom-left one, at the start corner). Each diagonal is cut from the middle of the face out to its
  // outermost corner; all moves stay inside the box the cutter centre keeps to, which holds every line
  // between two of its points.
  const double Y = job.YPos, step2 = R * 2 - C;
  const bool tall = Y >= X;
  const double half = (tall ? X : Y) / 2;
  struct TDiagonal {
    double mx, my, cx, cy;  // the end in the middle, the corner end
  };
  const TDiagonal diagonals[] = {
      tall ? TDiagonal{X / 2, Y - X / 2, R, Y - R} : TDiagonal{Y / 2, Y / 2, R, Y - R},
      tall ? TDiagonal{X / 2, Y - X / 2, X - R, Y - R} : TDiagonal{X - Y / 2, Y / 2, X - R, Y - R},
      tall ? TDiagonal{X / 2, X / 2, X - R, R} : TDiagonal{X - Y / 2, Y / 2, X - R, R},
      tall ? TDiagonal{X / 2, X / 2 - step2, R + step2, R} : TDiagonal{Y / 2 + step2, Y / 2, R + step2, R},
  };
  bool atNotch = false;
  for (const TDiagonal& d : diagonals) {
    // Only a diagonal that runs inwards from its corner, within the box.
    atNotch = false;
    if (!(half > R) || !(std::fabs(d.mx - d.cx) > 0) || d.my < R || d.mx > X - R) continue;
    AddMoveXY(list, 1, d.mx, d.my);
    AddMoveXY(list, 1, d.cx, d.cy);
    atNotch = &d == &diagonals[3];
  }

  // The notch at the bottom edge, between the start corner and the end of the first leftward leg: the
  // one corner where the spiral began instead of turning.
  const double notchEnd = std::min(R * 3 - C, X - R);
  if (notchEnd > R) {
    if (!atNotch) AddMoveXY(list, 1, notchEnd, R);
    AddMoveXY(list, 1, R, R);
  }
}

}  // namespace

double CentrePassStep(double radius, double cross) {
  return std::min(radius * 2 - cross, radius * 1.5);
}

void DoSpiral(const TFacingJob& job, TGCodeFile& list) {
  const double R = job.Radius, C = job.Cross;
  double yHi = job.YPos - R;
  double xHi = job.XPos - R;
  double yLo = R;
  double xLo = (R * 2 + R) - C;  // the first upward leg has already cut the column at X = R
  int lastAxis = saStart;
  TSpiralTrack track(R, R);
  const auto legY = [&](double y) {
    AddMoveY(list, 1, y);
    track.MoveY(y);
  };
  const auto legX = [&](double x) {
    AddMoveX(list, 1, x);
    track.MoveX(x);
  };

  // The up and right tests are strict, the down and left ones are not: with equal bounds the down (or
  // left) leg is still written, a move of length zero.
  while (lastAxis > saDone) {
    if (yHi > yLo) {
      legY(yHi);
      if (lastAxis == saY) break;
      lastAxis = saY;
    }
    if (xHi > xLo) {
      legX(xHi);
      if (lastAxis == saX) break;
      lastAxis = saX;
    }
    if (yLo <= yHi) {
      legY(yLo);
      if (lastAxis == saY) break;
      lastAxis = saY;
    }
    if (xLo <= xHi) {
      legX(xLo);
      if (lastAxis == saX) break;
      lastAxis = saX;
    }
    yHi = (yHi - R * 2) + C;
    xHi = (xHi - R * 2) + C;
    yLo = (R * 2 + yLo) - C;
    xLo = (R * 2 + xLo) - C;
    if (yHi < yLo) yHi = yLo;
    if (xHi < xLo) xHi = xLo;
    if (xLo >= xHi && yLo >= yHi) lastAxis = saDone;
  }

  if (job.FinishCentre) CentrePass(job, track, list);
  if (job.ClearEnd) EdgeClean(job, list);
}
