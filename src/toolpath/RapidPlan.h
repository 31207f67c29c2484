#pragma once
// Where the cutter crosses the face at retract height, and how high it must be to cross it.
//
// A relative retract sits ZUp above the level just cut, and several layers down that is below the top of
// the face. The crossing is safe only where every layer's passes have cut: a spiral that stops short of its
// middle, the slivers at its corners, the strips between passes that do not overlap and the notch at its
// start all keep material at the top of the face, and what this layer has not reached yet still stands at
// the level of the layer before (for the finishing layer, its depth up). Every layer, the finishing one
// too, sweeps the same area in the same order, so one layer worked
// out beforehand tells, for each crossing, the highest material it can meet. A crossing that would meet
// material goes ZUp above that material instead; every other one keeps the height the job asks for.

#include <cstddef>
#include <memory>
#include <vector>

#include "toolpath/FacingJob.h"

class TRapidPlan {
 public:
  // Nothing to plan (null) when no crossing can go below the top of the face: an absolute retract (the job
  // check keeps it above the top) or a relative one still above it after the last layer.
  [[nodiscard]] static std::unique_ptr<TRapidPlan> Make(const TFacingJob& job);

  // A layer begins: its edge-clean crossings come in the same order as in every layer.
  void StartLayer() { next_ = 0; }
  // The height of the layer's next edge-clean crossing; `specified` is the retract the job asks for.
  [[nodiscard]] double EdgeCleanHeight(const TFacingJob& job, double specified);
  // The height of the crossing back to the start corner between layers; job.CutZ is already the next
  // layer's level.
  [[nodiscard]] double TransitionHeight(const TFacingJob& job, double specified) const;

  // What a crossing may meet, highest last: only this layer's level, the level of the layer before
  // (where this layer has not cut yet), or the top of the face (where no layer cuts).
  enum class TMeets { mtLayerLevel, mtLevelBefore, mtTop };

 private:
  std::vector<TMeets> edgeClean_;
  TMeets transition_ = TMeets::mtTop;
  std::size_t next_ = 0;
};
