#include "app/CommandLine.h"

#include "dvTools/EscapedText.h"

#ifndef SKIMPLANE_VERSION_NUMBER
#define SKIMPLANE_VERSION_NUMBER "0"
#endif

namespace {

constexpr const char* kHelp =
    "Usage: skimplane [--version | --help] [Qt options]\n"
    "\n"
    "Opens the window that writes a CNC facing program in ISO G-code.\n"
    "\n"
    "  -V, --version  print the version and exit\n"
    "  -h, --help     print this help and exit\n"
    "\n"
    "The window keeps its entries in Skimplane.ini and its position in Skimplane.reg beside the\n"
    "executable when that folder is writable, otherwise in $XDG_CONFIG_HOME/Skimplane\n"
    "(~/.config/Skimplane). skimplane-cli writes the same programs without a window.\n";

// Printed after the version line, as GNU programs do.
constexpr const char* kLicence =
    "License GPL-3.0-or-later: GNU GPL version 3 or later.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace

std::string ProgramVersionLine() {
  return std::string("skimplane ") + SKIMPLANE_VERSION_NUMBER;
}

bool AnswerInfoArguments(const std::vector<std::string>& args, std::ostream& out) {
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") return false;
    if (a == "--version" || a == "-V") {
      out << ProgramVersionLine() << '\n' << kLicence;
      return true;
    }
    if (a == "--help" || a == "-h") {
      out << kHelp;
      return true;
    }
  }
  return false;
}

void ReportUnknownArguments(const std::vector<std::string>& args, std::ostream& err) {
  for (std::size_t i = 1; i < args.size(); ++i)
    err << "skimplane: unknown argument '" << EscapeControlBytes(args[i]) << "' ignored (try --help)\n";
}
