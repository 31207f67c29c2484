#pragma once
// The window program's own arguments. --version and --help are answered before anything touches the
// display, so they work on a machine without one (a package check, a shell over ssh). Every other
// argument that Qt did not take is reported and the window opens as it always did.

#include <ostream>
#include <string>
#include <vector>

// What the program's name and version print as: "skimplane 1.3.0".
[[nodiscard]] std::string ProgramVersionLine();

// Answers --version, -V, --help and -h (the first of them wins) on `out`. True when one was answered: the
// program then ends with exit code 0 without opening its window.
[[nodiscard]] bool AnswerInfoArguments(const std::vector<std::string>& args, std::ostream& out);

// Reports each argument left over once Qt has taken its own (args[0] is the program and is skipped) on
// `err`, one line each. The window opens regardless.
void ReportUnknownArguments(const std::vector<std::string>& args, std::ostream& err);
