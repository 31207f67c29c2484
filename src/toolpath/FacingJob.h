#pragma once
// The facing job: the parameters of one generation run. Lengths are millimetres.

#include <cstdint>
#include <string>

class TRapidPlan;
struct TRampPlan;

// The window's entries, read from its controls once per run.
struct TJobEntries {
  double XPos = 150, YPos = 200, Knit = 6 /* diameter */, Cross = 0.5, ZPos = 1 /* step-down */, ZUp = 2;
  bool ZUpAbs = false;
  int32_t Speed = 5000, Fro = 120, Layer = 1;
  int Mode = 1;  // 1 spiral (opnDelta), 2 along X (opnXArrow), 3 along Y (opnYArrow)
  bool ClearEnd = true;
  // Opt-in: after each layer's spiral, clear what it left in the middle and at the start (see DoSpiral).
  bool FinishCentre = false;
  // The controller the program is written for (see Dialect.h): its dialect, the coolant (kCoolantDefault
  // takes the dialect's own) and the dwell after the spindle start, in seconds.
  int Dialect = 0;   // kDialectIso
  int Coolant = -1;  // kCoolantDefault
  double Dwell = 0;
  // Which way the passes cut for the clockwise spindle the programs start: both ways (kDirectionBoth),
  // climbing only or conventional only (see Strategies.h).
  int Direction = 0;  // kDirectionBoth
  // Opt-in: after the layers, one more that much deeper, its plunges and cuts at FinishFeed. 0: none.
  double FinishDepth = 0;
  int32_t FinishFeed = 0;
  // How far the cutter's edge passes beyond the face's edges: the cutter-centre rectangle grows by that much
  // on every side.
  double Overcut = 0;
  // How the cutter reaches each layer's level (see Entry.h): straight down, or along a ramp of at most
  // RampAngle degrees to the face.
  int Entry = 0;  // kEntryPlunge
  double RampAngle = 3;
};

// The longest dwell after the spindle start a job may ask for, in seconds.
inline constexpr double kMaxDwell = 3600;

// Clearing strategies, numbered as the window's buttons and the settings key "Mode" number them.
inline constexpr int kModeSpiral = 1;
inline constexpr int kModeXZigzag = 2;
inline constexpr int kModeYZigzag = 3;

// The controllers a program can be written for, and the coolant it switches on.
inline constexpr int kDialectIso = 0;
inline constexpr int kDialectGrbl = 1;
inline constexpr int kCoolantDefault = -1;  // the dialect's own: mist for ISO, off for GRBL
inline constexpr int kCoolantOff = 0;
inline constexpr int kCoolantMist = 1;
inline constexpr int kCoolantFlood = 2;

// The cut directions.
inline constexpr int kDirectionBoth = 0;
inline constexpr int kDirectionClimb = 1;
inline constexpr int kDirectionConventional = 2;
// How the cutter reaches each layer's level.
inline constexpr int kEntryPlunge = 0;
inline constexpr int kEntryRamp = 1;

// The coolant kCoolantDefault stands for: the dialect's own (Dialect.h).
[[nodiscard]] int DefaultCoolant(int dialect);

struct TFacingJob {
  double XPos = 0;    // X extent of the face
  double YPos = 0;    // Y extent of the face
  double Radius = 0;  // cutter radius, half the entered diameter
  double Cross = 0;   // overlap of neighbouring passes
  double ZStep = 0;   // step-down per layer
  double CutZ = 0;    // current cutting level
  double ZUp = 0;     // retract height
  bool ZUpAbs = false;
  int32_t Speed = 0;
  int32_t Fro = 0;
  int32_t LayerCount = 0;
  int32_t LayersLeft = 0;
  int Mode = kModeSpiral;
  bool ClearEnd = false;
  bool FinishCentre = false;
  int Dialect = 0;  // as in TJobEntries
  int Coolant = 1;  // resolved: never kCoolantDefault
  double Dwell = 0;
  int Direction = kDirectionBoth;
  double FinishDepth = 0;
  int32_t FinishFeed = 0;
  double Overcut = 0;    // as in TJobEntries
  int Entry = 0;
  double RampAngle = 3;
  std::string FileName;  // the output file as the header's third line shows it (GBK bytes)
  // How high each crossing at retract height must go (see RapidPlan.h); none: as the job asks.
  TRapidPlan* Rapids = nullptr;
  // The ramp of every layer (see Entry.h); none: worked out where it is needed.
  const TRampPlan* Ramp = nullptr;
};

// Where the cutter centre starts every layer, in X and in Y: the corner of its rectangle at the origin,
// the overcut beyond the radius.
[[nodiscard]] inline double StartCorner(const TFacingJob& job) {
  return job.Radius - job.Overcut;
}

// The job at the start of a run, before the first layer.
[[nodiscard]] inline TFacingJob MakeFacingJob(const TJobEntries& e, std::string fileName = {}) {
  TFacingJob job;
  job.Radius = e.Knit / 2;
  job.XPos = e.XPos;
  job.YPos = e.YPos;
  job.CutZ = 0 - e.ZPos;
  job.ZUp = e.ZUp;
  job.Cross = e.Cross;
  job.Speed = e.Speed;
  job.Fro = e.Fro;
  job.LayerCount = e.Layer;
  job.LayersLeft = e.Layer;
  job.ZUpAbs = e.ZUpAbs;
  job.ZStep = e.ZPos;
  job.Mode = e.Mode;
  job.ClearEnd = e.ClearEnd;
  job.FinishCentre = e.FinishCentre;
  job.Dialect = e.Dialect;
  job.Coolant = e.Coolant == kCoolantDefault ? DefaultCoolant(e.Dialect) : e.Coolant;
  job.Dwell = e.Dwell;
  job.Direction = e.Direction;
  job.FinishDepth = e.FinishDepth;
  job.FinishFeed = e.FinishFeed;
  job.Overcut = e.Overcut;
  job.Entry = e.Entry;
  job.RampAngle = e.RampAngle;
  job.FileName = std::move(fileName);
  return job;
}
