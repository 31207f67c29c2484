#pragma once
// What a job must satisfy before any line of its program is built: a job that could never finish, or
// whose program could not be written or stored sensibly, is refused with a message that says why.

#include <cstdint>

#include "toolpath/FacingJob.h"

// Far beyond any real facing program (the largest sensible ones have a few million lines, tens of MB per
// million), yet small enough that a mistyped entry cannot fill a disk.
inline constexpr double kMaxProgramLines = 200'000'000;

// Lines can be long too: a face of 1e300 mm writes numbers of 300 digits. Above what any program within
// the line limit needs with everyday sizes, yet small enough that a mistyped entry cannot fill a disk.
inline constexpr double kMaxProgramBytes = 8589934592.0;  // 8 GiB

// An upper estimate of the number of lines the job's program has; infinite when it would never end.
[[nodiscard]] double EstimateProgramLines(const TJobEntries& entries);

// An upper estimate of the program's size in bytes, line breaks and header included.
[[nodiscard]] double EstimateProgramBytes(const TJobEntries& entries);

// No coordinate of a program may reach this, in any dialect.
inline constexpr double kMaxCoordinate = 1e6;

class TCheckedJob;

// Raises EDVError when the job must be refused: an entry that is not a finite number, an unknown
// strategy, a feed or spindle speed of zero or less, a face size or diameter of zero or less, a face
// narrower than the cutter (with twice the overcut), a negative overcut, a step-down below zero (or of zero
// with more than one layer), a retract at or below the cut (relative) or the top of the face (absolute), a
// coordinate of 1000000 mm or more, a pass step (diameter - overlap) of zero or less, sizes whose arithmetic
// overflows, or a program of more than kMaxProgramLines lines or kMaxProgramBytes bytes; with ramp entry, a
// first pass too short to ramp along or a spiral too narrow to turn whose edge clean would go down into uncut
// material. An unknown entry and a ramp angle outside above 0 to 90 degrees are refused too. Otherwise
// returns the job as checked, which is what the program's writers take.
[[nodiscard]] TCheckedJob CheckJob(const TJobEntries& entries);

// A job that passed CheckJob. Only CheckJob makes one, so a writer that takes it need not check again and
// a run checks its job exactly once.
class TCheckedJob {
 public:
  [[nodiscard]] const TJobEntries& Entries() const { return entries_; }
  // EstimateProgramLines(Entries()), as the check worked it out.
  [[nodiscard]] double EstimatedLines() const { return lines_; }

 private:
  TCheckedJob(const TJobEntries& entries, double lines) : entries_(entries), lines_(lines) {}
  friend TCheckedJob CheckJob(const TJobEntries& entries);
  TJobEntries entries_;
  double lines_;
};
