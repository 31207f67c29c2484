#pragma once
// The machine as the last judge: a height map of the face (its top at Z0, air beside it) that replays a
// program's lines, as either dialect writes them, with a flat cutter of radius R, and reports what would
// hurt the machine or the part:
//   - a rapid (G00, or any move between a retract and the next plunge) whose disc meets material above the
//     cutter's bottom, or that goes down into material;
//   - any point below the job's deepest level;
//   - a feed move whose cutter centre leaves the face;
//   - with a cut direction named (ExpectMaterialOn), a pass that cuts on the other side: the material a
//     pass longer than the cutter's diameter removes is split by the side of its line it stood on, and the
//     side the direction names must not hold clearly less than the other (the side the pass before, or
//     the face's edge, has taken its share of): both equal is a slot, neither way.
//   - with ramp entry (AllowRamp), any feed move that goes down into material steeper than the ramp angle,
//     a plunge into material included;
//   - a feed move whose cutter centre leaves the face grown by the job's overcut on every side.
// Feed moves lower the cells whose centres lie under the cutter's disc. A cell-sized raster cannot tell a
// cut's rim from a sliver beside it, so a rapid is checked over its disc less the outer eighth of the
// radius.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

class TMaterialModel {
 public:
  TMaterialModel(double sizeX, double sizeY, double radius, double deepest, double overcut = 0)
      : sizeX_(sizeX), sizeY_(sizeY), radius_(radius), deepest_(deepest), overcut_(overcut) {
    cell_ = std::max(radius / 10, std::sqrt(sizeX * sizeY / 2e6));
    nx_ = static_cast<int>(std::ceil(sizeX / cell_));
    ny_ = static_cast<int>(std::ceil(sizeY / cell_));
    height_.assign(static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_), 0.0);
  }

  // The job enters by ramps of at most this angle (degrees): steeper ways down into material are reported.
  void AllowRamp(double degrees) { rampSlope_ = std::tan(degrees * 3.14159265358979323846 / 180); }

  // Replays one line of the program; its problems are added to Problems().
  void Line(std::string_view line) {
    ++lineNumber_;
    double x = x_, y = y_, z = z_;
    bool moves = false, zWord = false;
    for (std::size_t i = 0; i < line.size();) {
      const char letter = line[i];
      if (letter == '(') {  // a comment runs to its closing parenthesis
        const auto close = line.find(')', i);
        i = close == std::string_view::npos ? line.size() : close + 1;
        continue;
      }
      if (letter == ' ') {
        ++i;
        continue;
      }
      const std::string number(line.substr(i + 1, line.find(' ', i) - i - 1));
      i += 1 + number.size();
      const double value = std::strtod(number.c_str(), nullptr);
      if (letter == 'G' && (value == 0 || value == 1)) motion_ = static_cast<int>(value);
      if (letter == 'X') x = value, moves = true;
      if (letter == 'Y') y = value, moves = true;
      if (letter == 'Z') z = value, moves = true, zWord = true;
    }
    if (!moves) return;
    if (z < deepest_ - 0.0006) Report("goes to Z" + std::to_string(z) + ", below the deepest level");
    if (std::isnan(x_) || std::isnan(y_) || std::isnan(z_)) {  // the first move comes from above
      x_ = x, y_ = y, z_ = z;
      return;
    }
    if (zWord && z != z_ && (x != x_ || y != y_)) {
      if (motion_ == 0) {
        Report("rapids along Z and across at once");
      } else {
        Slanted(x, y, z);
        x_ = x, y_ = y;
        return;
      }
    }
    if (zWord && z != z_) Vertical(z);
    if (x != x_ || y != y_) Across(x, y);
    x_ = x, y_ = y;
  }

  // The side of each pass the material must stand on: +1 right (climb for a clockwise spindle), -1 left
  // (conventional), 0 either. `spiral`: an inward spiral's last legs lie off the middle of what is left,
  // and some only clean up a strip the turns left outside them (as does the leg back down a face narrower
  // than two passes): there a pass fails only with less than half the other side's material on its named
  // side, and one with nothing to cut on that side passes.
  void ExpectMaterialOn(int side, bool spiral = false) {
    side_ = side;
    spiral_ = spiral;
  }
  // How many passes the side check has looked at, and how many had clearly more material on one side.
  [[nodiscard]] int PassesChecked() const { return passes_; }
  [[nodiscard]] int SidedPasses() const { return sided_; }

  [[nodiscard]] const std::vector<std::string>& Problems() const { return problems_; }
  // The lowest height the material is left at, for the tests' own sanity.
  [[nodiscard]] double Lowest() const { return *std::min_element(height_.begin(), height_.end()); }

 private:
  void Vertical(double z) {
    if (z > z_) {
      traversing_ = motion_ == 0;  // a retract: what follows until the next plunge crosses the face
    } else {
      if (motion_ == 0 && Highest(x_, y_, x_, y_, radius_ * 7 / 8) > z + 1e-6) Report("rapids down into material");
      if (motion_ == 1) {
        if (rampSlope_ < 1e15 && Highest(x_, y_, x_, y_, radius_ * 7 / 8) > z + 1e-6)
          Report("plunges into material, steeper than the ramp");
        Lower(x_, y_, x_, y_, z);
        traversing_ = false;
      }
    }
    z_ = z;
  }

  void Across(double x, double y) {
    if (motion_ == 0 || traversing_) {
      const double highest = Highest(x_, y_, x, y, radius_ * 7 / 8);
      if (highest > z_ + 1e-6)
        Report("crosses material at Z" + std::to_string(highest) + " at Z" + std::to_string(z_));
      return;
    }
    CheckOnFace(x, y);
    if (side_ != 0) CheckSide(x, y);
    Lower(x_, y_, x, y, z_);
  }

  // A feed move along all three axes: each cell goes down to the lowest the cutter's bottom passes over it.
  void Slanted(double x, double y, double z) {
    CheckOnFace(x, y);
    const double run = std::hypot(x - x_, y - y_), drop = z_ - z;
    if (drop > 0 && drop > run * rampSlope_ + 1e-9 && Highest(x_, y_, x, y, radius_ * 7 / 8) > z + 1e-6)
      Report("goes down into material at " +
             std::to_string(std::atan2(drop, run) * 180 / 3.14159265358979323846) +
             " degrees, steeper than the ramp");
    const double ax = x_, ay = y_, az = z_, dx = x - ax, dy = y - ay, length2 = dx * dx + dy * dy;
    ForCells(ax, ay, x, y, radius_, [&](double& h, double cx, double cy) {
      // The part of the move whose disc covers the cell's centre, and the cutter's lowest over it.
      const double t = ((cx - ax) * dx + (cy - ay) * dy) / length2;
      const double ex = ax + t * dx - cx, ey = ay + t * dy - cy;
      const double half = std::sqrt(std::max(radius_ * radius_ - ex * ex - ey * ey, 0.0) / length2);
      const double t0 = std::clamp(t - half, 0.0, 1.0), t1 = std::clamp(t + half, 0.0, 1.0);
      h = std::min(h, std::min(az + (z - az) * t0, az + (z - az) * t1));
    });
    z_ = z;
    traversing_ = false;
  }

  void CheckOnFace(double x, double y) {
    // The program's numbers are rounded to the thousandth; the overcut lets the centre past the edges.
    const double tolerance = 0.0006 + overcut_;
    for (auto [px, py] : {std::pair{x_, y_}, std::pair{x, y}}) {
      if (px < -tolerance || py < -tolerance || px > sizeX_ + tolerance || py > sizeY_ + tolerance)
        Report("feeds to X" + std::to_string(px) + " Y" + std::to_string(py) + ", off the face");
    }
  }

  template <class TVisit>
  void ForCells(double ax, double ay, double bx, double by, double reach, TVisit visit) {
    const auto index = [this](double v, int n) { return std::clamp(static_cast<int>(std::floor(v / cell_)), 0, n - 1); };
    if (std::max(ax, bx) + reach < 0 || std::max(ay, by) + reach < 0 || std::min(ax, bx) - reach > sizeX_ ||
        std::min(ay, by) - reach > sizeY_)
      return;
    const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
    for (int j = index(std::min(ay, by) - reach, ny_); j <= index(std::max(ay, by) + reach, ny_); ++j) {
      for (int i = index(std::min(ax, bx) - reach, nx_); i <= index(std::max(ax, bx) + reach, nx_); ++i) {
        const double cx = (i + 0.5) * cell_, cy = (j + 0.5) * cell_;
        if (cx > sizeX_ || cy > sizeY_) continue;  // the last cells reach past the face: air there
        const double t = length2 > 0 ? std::clamp(((cx - ax) * dx + (cy - ay) * dy) / length2, 0.0, 1.0) : 0;
        const double ex = ax + t * dx - cx, ey = ay + t * dy - cy;
        if (ex * ex + ey * ey <= reach * reach) {
          double& h = height_[static_cast<std::size_t>(j) * nx_ + i];
          if constexpr (std::is_invocable_v<TVisit, double&, double, double>)
            visit(h, cx, cy);
          else
            visit(h);
        }
      }
    }
  }

  // A pass takes a band as wide as the cutter; the pass before (or the face's edge) has taken part of it on
  // one side, so that side holds less material: the named side must not hold less than the other.
  void CheckSide(double x, double y) {
    const double dx = x - x_, dy = y - y_, length = std::hypot(dx, dy);
    if (!(length > 2 * radius_)) return;
    double right = 0, left = 0;
    ForCells(x_, y_, x, y, radius_, [&](double& h) {
      if (!(h > z_ + 1e-6)) return;
      // The cell's centre from its place in the height map.
      const auto at = static_cast<std::size_t>(&h - height_.data());
      const double cx = (static_cast<double>(at % static_cast<std::size_t>(nx_)) + 0.5) * cell_;
      const double cy = (static_cast<double>(at / static_cast<std::size_t>(nx_)) + 0.5) * cell_;
      const double along = ((cx - x_) * dx + (cy - y_) * dy) / length;
      if (along <= 0 || along >= length) return;  // the discs at the ends: only the band between them
      ((cx - x_) * dy - (cy - y_) * dx > 0 ? right : left) += cell_ * cell_;
    });
    ++passes_;
    const double tolerance = length * radius_ / 20;  // a fortieth of the band: the raster's noise, slivers
    if (std::fabs(left - right) > tolerance) ++sided_;
    const double named = side_ > 0 ? right : left, other = side_ > 0 ? left : right;
    if (spiral_ && named <= tolerance) return;  // nothing new on its side: it cleans up the other
    if (other > named * (spiral_ ? 2 : 1.1) + tolerance) {
      Report("cuts with more material on its " + std::string(side_ > 0 ? "left" : "right") + " (" +
             std::to_string(other) + " mm2 against " + std::to_string(named) + ")");
    }
  }

  double Highest(double ax, double ay, double bx, double by, double reach) {
    double highest = -INFINITY;
    ForCells(ax, ay, bx, by, reach, [&](double h) { highest = std::max(highest, h); });
    return highest;
  }

  void Lower(double ax, double ay, double bx, double by, double z) {
    ForCells(ax, ay, bx, by, radius_, [&](double& h) { h = std::min(h, z); });
  }

  void Report(const std::string& what) {
    if (problems_.size() < 5) problems_.push_back("line " + std::to_string(lineNumber_) + " " + what);
  }

  double sizeX_, sizeY_, radius_, deepest_, overcut_;
  double cell_;
  int nx_, ny_;
  std::vector<double> height_;
  double x_ = NAN, y_ = NAN, z_ = NAN;
  int motion_ = 0;
  bool traversing_ = false;
  int side_ = 0, passes_ = 0, sided_ = 0;
  bool spiral_ = false;
  double rampSlope_ = INFINITY;  // plunges allowed
  int lineNumber_ = 0;
  std::vector<std::string> problems_;
};
