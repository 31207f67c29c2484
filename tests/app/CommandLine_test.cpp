// The window program's own arguments: which are answered without a window, and how the rest is told.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"

TEST(CommandLine, VersionAndHelpAreAnsweredAndEverythingElseOpensTheWindow) {
  const struct {
    std::vector<std::string> args;
    bool answered;
    const char* starts;
  } rows[] = {
      {{"skimplane", "--version"}, true, "skimplane 1."},
      {{"skimplane", "-V"}, true, "skimplane 1."},
      {{"skimplane", "--help"}, true, "Usage: skimplane"},
      {{"skimplane", "-h"}, true, "Usage: skimplane"},
      {{"skimplane", "--bogus", "--help", "--version"}, true, "Usage: skimplane"},
      {{"skimplane"}, false, ""},
      {{"skimplane", "plate.nc"}, false, ""},
      {{"skimplane", "--versions"}, false, ""},
      // After "--" nothing is an option any more.
      {{"skimplane", "--", "--version"}, false, ""},
      {{}, false, ""},
  };
  for (const auto& r : rows) {
    std::ostringstream out;
    EXPECT_EQ(AnswerInfoArguments(r.args, out), r.answered) << testing::PrintToString(r.args);
    EXPECT_EQ(out.str().rfind(r.starts, 0), 0u) << out.str();
    if (!r.answered) {
      EXPECT_EQ(out.str(), "");
    }
  }
  EXPECT_EQ(ProgramVersionLine(), "skimplane " SKIMPLANE_TEST_VERSION);
}

TEST(CommandLine, LeftoverArgumentsAreReportedOneLineEach) {
  std::ostringstream err;
  ReportUnknownArguments({"skimplane", "plate.nc", "--x", "\x1b]0;x\x07"}, err);
  EXPECT_EQ(err.str(),
            "skimplane: unknown argument 'plate.nc' ignored (try --help)\n"
            "skimplane: unknown argument '--x' ignored (try --help)\n"
            "skimplane: unknown argument '\\x1b]0;x\\x07' ignored (try --help)\n");
  std::ostringstream none;
  ReportUnknownArguments({"skimplane"}, none);
  EXPECT_EQ(none.str(), "");
}
