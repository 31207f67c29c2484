#pragma once
// The output dialects: what a program says around its moves. The strategies write the same moves for
// every controller; a dialect writes the header, the start block, the marks between layers and the end
// block, in the words and bytes its controller reads. Another controller is one more TDialect in a file
// of its own and one entry in DialectFor.

#include <optional>
#include <string>
#include <string_view>

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"

class TDialect {
 public:
  virtual ~TDialect() = default;
  // The comment lines before the start block. `dateTime` is "yyyy-mm-dd hh:nn".
  virtual void AddHeader(const TFacingJob& job, std::string_view dateTime, TGCodeFile& list) const = 0;
  // Ends with the tool plunged to the first cutting level at (Radius, Radius), the feed set.
  virtual void AddStart(const TFacingJob& job, TGCodeFile& list) const = 0;
  // The comment before layer `layer` (2 for the second layer).
  virtual void AddLayerMark(int layer, TGCodeFile& list) const = 0;
  // Retract, spindle and coolant off, end of program.
  virtual void AddEnd(const TFacingJob& job, TGCodeFile& list) const = 0;
  // Raises EDVError when the job's choices cannot be written in this dialect. `largest` bounds the
  // magnitude of every coordinate the program writes.
  virtual void Check(const TJobEntries& entries, double largest) const = 0;
};

// The dialect of kDialectIso or kDialectGrbl; raises EDVError for any other number.
[[nodiscard]] const TDialect& DialectFor(int dialect);

// Checks the dialect, coolant and dwell of a job (CheckJob does this too).
void CheckOutputChoices(const TJobEntries& entries, double largest);

// The layer marks: the ISO dialect's words in GBK bytes anywhere in a comment line, the ASCII dialects'
// comment line start (no header line starts so: their paths are absolute, "-" or begin with "...").
inline constexpr std::string_view kIsoLayerMark = "\xB7\xD6\xB2\xE3\xB1\xEA\xD6\xBE";
inline constexpr std::string_view kAsciiLayerMark = "( Layer mark: ";

// The dialects themselves, one per file.
[[nodiscard]] const TDialect& IsoDialect();
[[nodiscard]] const TDialect& GrblDialect();
