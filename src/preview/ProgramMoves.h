#pragma once
// Reads a program back into the moves the machine makes, line by line as the program list hands the lines
// over. The preview and the figures come from the very lines the program contains, so they can never
// disagree with what the strategies wrote.

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "toolpath/GCodeFile.h"

enum class TMoveKind { mkRapid, mkFeed };

struct TPointXYZ {
  double X = 0, Y = 0, Z = 0;
};

struct TMove {
  TMoveKind Kind = TMoveKind::mkRapid;
  TPointXYZ From, To;
  double Feed = 0;         // the feed word in force when the move runs (mm/min)
  int Layer = 0;           // 0 for the first layer
  std::uint64_t Line = 0;  // the move's line in the program, from 1

  [[nodiscard]] double Length() const;
  [[nodiscard]] bool Planar() const { return From.X != To.X || From.Y != To.Y; }
};

// A leg of a ramp entry: a feed move that goes down while it moves in the plane.
[[nodiscard]] bool IsRampLeg(const TMove& move);
// Its angle to the face in degrees, as the program's numbers write it.
[[nodiscard]] double RampAngleDegrees(const TMove& move);

// Tells the returns of passes cut one way: a level move above the pass just cut that runs straight back
// along it, from its end to its start. Fed every move of one layer in the program's order.
class TReturnFinder {
 public:
  [[nodiscard]] bool IsReturn(const TMove& move);

 private:
  bool hasPass_ = false;
  TMove pass_;  // the last level feed move not above the pass before it
};

// What a program amounts to, summed over every move whose start is known.
struct TProgramFigures {
  std::uint64_t Lines = 0;
  std::uint64_t Moves = 0;
  int Layers = 1;          // the first layer plus one per layer mark
  double FeedLength = 0;   // mm, feed moves (G01) in space
  double RapidLength = 0;  // mm, rapid moves (G00) in space
  double FeedMinutes = 0;  // every feed move's length over the feed word in force
  // A feed move of some length at a feed of zero or less never ends; its time cannot be told.
  bool FeedTimeKnown = true;
  // The cutter centre's extremes over every point the program sends it to once all three axes are known;
  // without such a point HasExtents is false.
  bool HasExtents = false;
  TPointXYZ Min, Max;
  // Ramp entry: the ramps (runs of ramp legs), their legs and the steepest leg's angle to the face.
  std::uint64_t Ramps = 0, RampLegs = 0;
  double SteepestRamp = 0;    // degrees
  std::uint64_t Returns = 0;  // see TReturnFinder
  // The last layer's cutting level (its deepest point) and the feed of the level moves that cut there.
  double LastLevel = 0, LastLevelFeed = 0;
  // Told by whoever knows the job, the program cannot say: whether the last layer is the finishing layer,
  // and whether the job sends the cutter past the face's edges on purpose (overcut).
  bool FinishingLayer = false;
  bool Overcut = false;

  // NaN when the feed time is unknown or the rapid rate is not above zero.
  [[nodiscard]] double CycleMinutes(double rapidRate) const;
};

// The rapid rate assumed when the user has not set one, mm/min.
inline constexpr double kDefaultRapidRate = 5000;

// A sink that parses each line: G00/G01 (modal), X Y Z (absolute), F (modal, also on rapid lines). Every
// other word, comment and malformed word is passed over. The position before the first move is unknown, so
// moves only count from the point where all three axes have been given. The program list tells where each
// layer begins; comments are passed over like any other word.
class TProgramReader : public TGCodeSink {
 public:
  void AddLine(std::string_view line) override;
  void BeginLayer(int layer) override;
  [[nodiscard]] const TProgramFigures& Figures() const { return figures_; }
  // Calls `tick` with the count of lines read after every `every` lines, for a progress display; an
  // exception from it stops the program's writer.
  void SetTick(std::function<void(std::uint64_t lines)> tick, std::uint64_t every) {
    tick_ = std::move(tick);
    tickEvery_ = every > 0 ? every : 1;
  }

 protected:
  virtual void OnMove(const TMove& move) { (void)move; }
  virtual void OnLayerStart(int layer) { (void)layer; }

 private:
  TProgramFigures figures_;
  TPointXYZ position_;
  bool known_[3] = {false, false, false};
  int motion_ = 0;  // 0 rapid, 1 feed
  double feed_ = 0;
  int layer_ = 0;
  bool levelKnown_ = false;  // whether LastLevel holds a point of the current layer
  bool inRamp_ = false;
  TReturnFinder returns_;
  std::function<void(std::uint64_t)> tick_;
  std::uint64_t tickEvery_ = 0;
};

// Hands program text that does not come from the generator (a saved file) to `inner` line by line, and
// tells it where each layer begins from the layer marks of the dialects.
class TLayerMarkReader final : public TGCodeSink {
 public:
  explicit TLayerMarkReader(TGCodeSink& inner) : inner_(inner) {}
  void AddLine(std::string_view line) override;
  void Save() override { inner_.Save(); }

 private:
  TGCodeSink& inner_;
  int layer_ = 1;
};

// One layer's moves: from the layer mark (for the first layer, from the program's start) to the next.
struct TLayerPath {
  int Index = 0;
  std::vector<TMove> Moves;
  // The deepest level any move of the layer reaches: the level this layer cuts at.
  [[nodiscard]] double CutLevel() const;
  // Where the cutter first arrives at the cutting level; false when it never does.
  [[nodiscard]] bool StartPoint(double& x, double& y) const;
};

// Keeps the moves as well: of every layer, or (to keep the memory of a huge program small) only of the
// first layer, the one that cuts into the face's top.
class TPreviewSink final : public TProgramReader {
 public:
  explicit TPreviewSink(bool keepEveryLayer = true) : keepEveryLayer_(keepEveryLayer) {
    layers_.emplace_back();
  }
  [[nodiscard]] const std::vector<TLayerPath>& Layers() const { return layers_; }
  // Hands the moves over without a copy: a large program's moves are most of the preview's memory.
  [[nodiscard]] std::vector<TLayerPath> TakeLayers() { return std::move(layers_); }

 protected:
  void OnMove(const TMove& move) override {
    if (keepEveryLayer_ || move.Layer == layers_.back().Index) layers_.back().Moves.push_back(move);
  }
  void OnLayerStart(int layer) override;

 private:
  bool keepEveryLayer_;
  std::vector<TLayerPath> layers_;
};
