#pragma once
// The program generator: header, start block, the layers with their transitions, end block, save.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "toolpath/FacingJob.h"
#include "toolpath/GCodeFile.h"
#include "toolpath/ProgramLimits.h"

struct TProgramRequest {
  TCheckedJob Job;
  std::filesystem::path OutputPath;  // where the program is written (through AtomicFileWriter)
  std::string HeaderPath;  // the output path as GBK bytes; the third header line shows it with "(" and ")"
                           // as "[" and "]" and every control byte as "?", so it cannot end the comment
  std::string DateTime;    // "yyyy-mm-dd hh:nn" as the header shows it
};

// Lets a long run show how far it is: Tick is called with the number of lines written so far after every
// EveryLines lines, and may throw to stop the run (a cancel); nothing is then saved.
struct TProgressHook {
  std::uint64_t EveryLines = 1 << 16;
  std::function<void(std::uint64_t lines)> Tick;
};

// Writes the program to request.OutputPath. Raises EDVError for write failures; nothing replaces an
// existing file unless the whole program was written.
void GenerateCode(const TProgramRequest& request, const TProgressHook& progress = {});

// Appends the whole program to `list` without saving it: for other sinks than the file (standard output,
// tests, previews).
void WriteProgram(const TProgramRequest& request, TGCodeFile& list);

// The six lines before the first layer, ending with the plunge to the first cutting level.
void AddProgramStart(const TFacingJob& job, TGCodeFile& list);
// The four lines after the last layer.
void AddProgramEnd(const TFacingJob& job, TGCodeFile& list);

// "yyyy-mm-dd hh:nn" with the given time separator between hour and minute.
[[nodiscard]] std::string FormatHeaderDateTime(int year, int month, int day, int hour, int minute,
                                               char timeSeparator = ':');
