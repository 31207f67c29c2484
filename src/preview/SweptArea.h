#pragma once
// The area a round cutter sweeps on one cutting level, and what of the face it leaves standing.
//
// The face is laid out as a raster of cells; a cell counts as cut when its centre lies within the cutter's
// radius of a path it follows at the cutting level. A path meets each row in one interval (its capsule is
// convex); the interval is not filled cell by cell but marked at its two ends in a table of differences,
// and a pass along Y, whose band is the same interval on every row between its end discs, is marked at
// the four corners of that rectangle once. Summing the table up once at the end tells every cell. So the
// work is the rows each path's end discs and slanted band meet plus the cells, never cells times moves.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "preview/ProgramMoves.h"

struct TRectMM {
  double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;  // X0 <= X1, Y0 <= Y1
  [[nodiscard]] double Width() const { return X1 - X0; }
  [[nodiscard]] double Height() const { return Y1 - Y0; }
};

// The face from (0, 0) to (XPos, YPos), whichever sign the extents have.
[[nodiscard]] TRectMM FaceRect(double xPos, double yPos);

// About 4 million cells: a 3000 x 2000 face gets cells of 1.22 mm, the window's 150 x 200 face 0.09 mm.
inline constexpr std::size_t kDefaultCellBudget = 4'000'000;

// What a round cutter of radius r whose centre stays r inside the face can never reach: in each of the four
// r x r squares at the face's corners, the part beyond the quarter circle about the square's inner corner.
// r^2 (1 - pi/4) each, 4 r^2 (1 - pi/4) in all; 0 for a radius of zero or less.
[[nodiscard]] double CornerLimit(double radius);

struct TUncutArea {
  TRectMM Face;
  double FaceArea = 0;
  // InsideArea + CornerArea. A sliver thinner than the program's resolution (0.001 mm) along the corners'
  // arcs counts in neither, so a face left untouched shows a hair less than its whole area.
  double UncutArea = 0;
  // Material the cutter could never reach (see CornerLimit): at most CornerLimit(radius).
  double CornerArea = 0;
  // Everything else left standing: material the job could have cut but did not.
  double InsideArea = 0;
  int Columns = 0, Rows = 0;
  double CellWidth = 0, CellHeight = 0;
  // The uncut cells, joined into rectangles (runs of a row, stacked while the next row has the same run):
  // those of the corners, and those inside, each set drawn in its own colour.
  std::vector<TRectMM> Corners;
  std::vector<TRectMM> Inside;
  std::size_t CornerCells = 0, InsideCells = 0;  // the uncut cells of each kind
  // How far the swept band reaches beyond the face's edges at most (the overcut), mm; 0 when it stays
  // on the face (a reach below the tolerance of the program's levels counts as none).
  double Beyond = 0;

  // Shares of the face, 0 for a face without area: nothing there to leave standing.
  [[nodiscard]] double Share() const { return FaceArea > 0 ? UncutArea / FaceArea : 0; }
  [[nodiscard]] double CornerShare() const { return FaceArea > 0 ? CornerArea / FaceArea : 0; }
  [[nodiscard]] double InsideShare() const { return FaceArea > 0 ? InsideArea / FaceArea : 0; }
};

// The planar segments a layer's cutter centre follows at `level` (a plunge gives a segment of no length).
struct TSegmentMM {
  double X0, Y0, X1, Y1;
};

// The raster of one face and cutter, fed one path at a time.
class TSweptRaster {
 public:
  TSweptRaster(const TRectMM& face, double radius, std::size_t cellBudget = kDefaultCellBudget);
  // The capsule of cells within the radius of `s` is cut (for a segment of no length, a disc).
  void Add(const TSegmentMM& s);
  // Forgets every path added.
  void Clear();
  // What the paths so far leave standing.
  [[nodiscard]] TUncutArea Result() const;

 private:
  void MarkRow(int row, double lo, double hi);
  void MarkRows(int row0, int row1, double lo, double hi);

  TUncutArea shape_;  // the face and the raster's layout
  double radius_;
  double beyond_ = 0;
  // (Rows + 1) x (Columns + 1) differences: a cell is cut when the sum of the entries at or before it in
  // both directions is above zero. Allocated at the first path.
  std::vector<std::int32_t> marks_;
};

// The moves of one layer, one at a time as the program runs, into the area they sweep on the layer's
// cutting level, which is the deepest level met so far: when a move goes deeper, what was swept above
// is forgotten (nothing above a level cuts on it). The same result as ComputeUncutArea over all the
// moves at once, without keeping them.
class TLevelSweep {
 public:
  TLevelSweep(const TRectMM& face, double radius, std::size_t cellBudget = kDefaultCellBudget)
      : raster_(face, radius, cellBudget) {}
  void Add(const TMove& move);
  [[nodiscard]] TUncutArea Result() const { return raster_.Result(); }

 private:
  TSweptRaster raster_;
  double level_ = 0;
  bool any_ = false;
};

// The part of `moves` at or below `level` (the piece of a move that dips below it counts from where it
// crosses) sweeps a band 2 * radius wide with round ends. A radius of zero or less sweeps nothing.
[[nodiscard]] TUncutArea ComputeUncutArea(const TRectMM& face, double radius, std::span<const TMove> moves,
                                          double level, std::size_t cellBudget = kDefaultCellBudget);

[[nodiscard]] std::vector<TSegmentMM> CuttingSegments(std::span<const TMove> moves, double level);
