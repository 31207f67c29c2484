#pragma once
// The job of the worked 48-line example: face 20 x 12, diameter 6, overlap 0.5, step-down 1, retract 2
// above the cutting level, spindle 5000, feed 120, two layers, spiral with edge clean. Everything but the
// face and the layer count is the window's initial value.

#include "toolpath/FacingJob.h"

inline TJobEntries Plate() {
  TJobEntries e;
  e.XPos = 20;
  e.YPos = 12;
  e.Layer = 2;
  return e;
}
