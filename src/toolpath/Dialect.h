#pragma once
// The output dialects: what a program says around its moves. The strategies write the same moves for
// every controller; a dialect writes the header, the start block, the marks between layers and the end
// block, in the words and bytes its controller reads. Another controller is one more TDialect in a file
// of its own and one entry in DialectFor.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"

class TDialect {
 public:
  virtual ~TDialect() = default;
  // The word of the command-line options and the settings file: "iso", "grbl".
  [[nodiscard]] virtual std::string_view Name() const = 0;
  // The coolant choices the dialect can write, its own (what kCoolantDefault stands for) first.
  [[nodiscard]] virtual std::span<const int> Coolants() const = 0;
  // At most how many lines the header, the start block and the end block have together.
  [[nodiscard]] virtual double FrameLines(const TJobEntries& entries) const = 0;
  // The comment lines before the start block. `dateTime` is "yyyy-mm-dd hh:nn".
  virtual void AddHeader(const TFacingJob& job, std::string_view dateTime, TGCodeFile& list) const = 0;
  // Ends with the tool at the first cutting level at the start corner (StartCorner), the feed set, having
  // gone down by the job's entry (AddEntry).
  virtual void AddStart(const TFacingJob& job, TGCodeFile& list) const = 0;
  // The comment before layer `layer` (2 for the second layer).
  virtual void AddLayerMark(int layer, TGCodeFile& list) const = 0;
  // Whether a line of program text is such a comment: for programs read from text rather than from the
  // generator, which tells its sink where each layer begins.
  [[nodiscard]] virtual bool IsLayerMark(std::string_view line) const = 0;
  // Retract, spindle and coolant off, end of program.
  virtual void AddEnd(const TFacingJob& job, TGCodeFile& list) const = 0;
  // Raises EDVError when the job's choices cannot be written in this dialect. `largest` bounds the
  // magnitude of every coordinate the program writes.
  virtual void Check(const TJobEntries& entries, double largest) const = 0;
};

// Every dialect's number, in the order the choices are offered.
inline constexpr int kDialects[] = {kDialectIso, kDialectGrbl};

// The dialect of kDialectIso or kDialectGrbl; raises EDVError for any other number.
[[nodiscard]] const TDialect& DialectFor(int dialect);

// The frame lines of the job's dialect; for an unknown dialect the most any dialect has, so that an
// estimate made of it stays an upper bound.
[[nodiscard]] double FrameLines(const TJobEntries& entries);

// Whether a line of program text is the layer mark of any dialect.
[[nodiscard]] bool IsLayerMark(std::string_view line);

// Checks the dialect, coolant and dwell of a job (CheckJob does this too).
void CheckOutputChoices(const TJobEntries& entries, double largest);


// The choices a controller box offers: every dialect with each coolant it can write, its own first, as
// the words of the dialect and coolant rows.
struct TControllerWords {
  const char* DialectWord;
  const char* CoolantWord;
};
[[nodiscard]] std::vector<TControllerWords> ControllerWords();

// The dialects themselves, one per file.
[[nodiscard]] const TDialect& IsoDialect();
[[nodiscard]] const TDialect& GrblDialect();
