#pragma once
// The preview of a job: its program built as Generate would build it, read back into moves, and the
// drawing and figures made of them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "preview/ProgramMoves.h"
#include "preview/SweptArea.h"
#include "toolpath/FacingJob.h"
#include "toolpath/ProgramLimits.h"

// Drawing keeps every move in memory; beyond this many lines a drawing says nothing more anyway.
inline constexpr double kMaxPreviewLines = 2'000'000;

struct TToolpathPreview {
  TRectMM Face;
  double Radius = 0;
  TProgramFigures Figures;
  std::vector<TLayerPath> Layers;  // every layer, or only the last one (see BuildPreview)
  int FinishLayer = -1;            // the finishing layer's index (TLayerPath::Index), -1 without one
};

// Reports the lines read so far while a program is read back; an exception thrown from it stops the work.
struct TReadProgress {
  std::function<void(std::uint64_t lines)> Tick;
  std::uint64_t Every = 1 << 16;  // lines between two calls
};

// Builds the checked job's program and reads it back. With
// everyLayer the moves of every layer are kept, and a program of more than kMaxPreviewLines lines is
// refused; without it only the first layer's moves are kept and any program the generator accepts is read.
[[nodiscard]] TToolpathPreview BuildPreview(const TCheckedJob& job, bool everyLayer = true,
                                            const TReadProgress& progress = {});

// The figures of the job's program and what its first layer leaves standing, as BuildScene tells them
// for layer 0, with the moves streamed from the generator into the sums and the raster: no move is kept,
// so the memory stays the raster's whatever the program's size.
struct TProgramMeasure {
  TProgramFigures Figures;
  TUncutArea Uncut;
};
// Reads a program's lines, sums its figures and sweeps its first layer's moves into the raster as they come.
class TFirstLevelMeasure final : public TProgramReader {
 public:
  TFirstLevelMeasure(const TRectMM& face, double radius, std::size_t cellBudget)
      : sweep_(face, radius, cellBudget) {}
  [[nodiscard]] TUncutArea Uncut() const { return sweep_.Result(); }

 protected:
  void OnMove(const TMove& move) override;

 private:
  TLevelSweep sweep_;
};
[[nodiscard]] TProgramMeasure MeasureProgram(const TCheckedJob& job,
                                             std::size_t cellBudget = kDefaultCellBudget,
                                             const TReadProgress& progress = {});

// A ramp leg (see IsRampLeg) and a return of one-way passes (see TReturnFinder) have styles of their own.
enum class TPathStyle { psFeed, psLiftedFeed, psRapid, psRamp, psReturn };

struct TScenePath {
  TSegmentMM Segment;
  TPathStyle Style;
  int Layer;
};

// One drawing, in millimetres with Y upwards, for any painter: the face, the band the cutter sweeps on
// one layer's cutting level with what it leaves standing, the cutter-centre paths and the start point.
struct TPreviewScene {
  TRectMM Face;
  TRectMM Bounds;  // everything drawn, swept band included
  double Radius = 0;
  int Layer = 0;                  // the layer whose swept band, uncut cells and start point are shown
  std::vector<TSegmentMM> Swept;  // each drawn 2 * Radius wide with round ends (a point as a disc)
  TUncutArea Uncut;
  std::vector<TScenePath> Paths;  // moves in the plane; pure Z moves (plunges, retracts) are not drawn
  bool HasStart = false;
  double StartX = 0, StartY = 0;
  int FinishLayer = -1;     // as in TToolpathPreview
  bool OvercutJob = false;  // as TProgramFigures::Overcut

  // Whether the swept band of a job with overcut reaches beyond the face: that part is drawn in a colour of
  // its own. (An edge clean may reach beyond it without overcut too; such a drawing stays as it was.)
  [[nodiscard]] bool Overcut() const { return OvercutJob && Uncut.Beyond > 0; }
  [[nodiscard]] bool Has(TPathStyle style) const;
};

// `layer` indexes preview.Layers; with allPaths the paths of every kept layer are drawn, else only its own.
[[nodiscard]] TPreviewScene BuildScene(const TToolpathPreview& preview, std::size_t layer, bool allPaths,
                                       std::size_t cellBudget = kDefaultCellBudget);

// Whether the cycle time can be told, and if not, why.
enum class TCycleTime { ctKnown, ctFeedUnknown, ctNoRapidRate };

// The figures as numbers, for any wording of them: of the program, and of what layer `layer` (from 0)
// leaves standing; the cycle time assumes `rapidRate`.
struct TFigureValues {
  std::uint64_t Lines = 0;
  int Layers = 1;
  double FeedLength = 0;   // mm
  double RapidLength = 0;  // mm
  double RapidRate = 0;    // mm/min
  TCycleTime Cycle = TCycleTime::ctKnown;
  double CycleMinutes = 0;  // NaN unless Cycle is ctKnown
  double FaceArea = 0;      // mm^2
  double UncutInside = 0;   // mm^2 left inside the face: the job could have cut it
  double UncutCorner = 0;   // mm^2 left in the corners, out of any round cutter's reach
  int Layer = 0;
  bool HasExtents = false;  // the cutter centre's extremes, over the whole program
  TPointXYZ Min, Max;
  // mm the band swept on layer `Layer` of a job with overcut reaches beyond the face's edges at most, else 0
  double Overcut = 0;
  std::uint64_t Ramps = 0, RampLegs = 0, Returns = 0;
  double SteepestRamp = 0;  // degrees, 0 without ramps
  // The finishing layer (from 0, the last one), its cutting level (mm) and the feed of its cuts (mm/min).
  bool HasFinish = false;
  int FinishLayer = 0;
  double FinishLevel = 0, FinishFeed = 0;

  [[nodiscard]] double InsideShare() const { return FaceArea > 0 ? UncutInside / FaceArea : 0; }
  [[nodiscard]] double CornerShare() const { return FaceArea > 0 ? UncutCorner / FaceArea : 0; }
};

[[nodiscard]] TFigureValues FigureValues(const TProgramFigures& figures, double rapidRate,
                                         const TUncutArea& uncut, int layer);

// The figures as English label and value rows, for the command line and the SVG drawing. The rows of the
// machining options (overcut, ramps, returns, finishing layer) come after the others, and only for a
// program that has them.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> FigureRows(const TFigureValues& values);

// Where the cutter centre goes over the whole program, as English label and value rows: X, Y and Z from
// the least to the greatest, or one row saying there is no move.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> ExtentRows(const TFigureValues& values);

// The figures as one JSON object, for scripts: the keys are documented in docs/user-guide.md and stay as they are.
// Lengths and areas in mm and mm^2 with three decimals; a figure that cannot be told is null.
[[nodiscard]] std::string FigureJson(const TFigureValues& values);

// "h:mm:ss" rounded to the second; "unknown" for NaN.
[[nodiscard]] std::string FormatMinutes(double minutes);
