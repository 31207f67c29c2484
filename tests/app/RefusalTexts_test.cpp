// The window's own words (Simplified Chinese) for every refusal of the job check: a text for each key, which
// takes every argument the check gives, holds no English, and names each entry by the window's caption.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cmath>
#include <functional>
#include <limits>
#include <set>

#include "app/WindowTexts.h"
#include "toolpath/JobFields.h"
#include "toolpath/ProgramLimits.h"

namespace {

// An English word of three letters or more; GRBL is a name.
bool HoldsEnglish(const QString& text) {
  QString rest = text;
  rest.remove(QStringLiteral("GRBL"));
  return rest.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}")));
}

}  // namespace

TEST(RefusalTexts, EveryRefusalOfTheJobCheckHasTheWindowsWordsForAllItsArguments) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* key;
    std::function<void(TJobEntries&)> enter;
  } rows[] = {
      {"RefuseNotFinite", [&](TJobEntries& e) { e.XPos = nan; }},
      {"RefuseUnknownChoice", [](TJobEntries& e) { e.Mode = 4; }},
      {"RefuseUnknownChoice", [](TJobEntries& e) { e.Coolant = 7; }},
      {"RefuseRampAngle", [](TJobEntries& e) { e.RampAngle = 90.5; }},
      {"RefuseAboveZero", [](TJobEntries& e) { e.XPos = -50; }},
      {"RefuseOvercutBelowZero", [](TJobEntries& e) { e.Overcut = -1; }},
      {"RefuseFaceNarrow", [](TJobEntries& e) { e.XPos = 4; }},
      {"RefuseFaceNarrowWithOvercut", [](TJobEntries& e) { e.XPos = 2, e.Overcut = 0.5; }},
      {"RefuseStepDownBelowZero", [](TJobEntries& e) { e.ZPos = -1; }},
      {"RefuseStepDownZero", [](TJobEntries& e) { e.ZPos = 0, e.Layer = 3; }},
      {"RefuseRetractRelative", [](TJobEntries& e) { e.ZUp = 0; }},
      {"RefuseRetractAbsolute", [](TJobEntries& e) { e.ZUp = 0, e.ZUpAbs = true; }},
      {"RefuseBelowLimit", [](TJobEntries& e) { e.Cross = -2e6; }},
      {"RefuseLastLayerTooDeep", [](TJobEntries& e) { e.ZPos = 10, e.Layer = 100000; }},
      {"RefuseFinishingLayerTooDeep",
       [](TJobEntries& e) { e.ZPos = 10, e.Layer = 99999, e.FinishDepth = 20, e.FinishFeed = 60; }},
      {"RefuseFinishDepthBelowZero", [](TJobEntries& e) { e.FinishDepth = -0.2, e.FinishFeed = 60; }},
      {"RefuseFinishFeed", [](TJobEntries& e) { e.FinishDepth = 0.2, e.FinishFeed = 0; }},
      {"RefusePassStep", [](TJobEntries& e) { e.Cross = e.Knit; }},
      {"RefuseCoordinates", [](TJobEntries& e) { e.XPos = 600000, e.YPos = 500000; }},
      {"RefuseDwell", [](TJobEntries& e) { e.Dwell = -1; }},
      {"RefuseGrblMist", [](TJobEntries& e) { e.Dialect = kDialectGrbl, e.Coolant = kCoolantMist; }},
      {"RefuseRampTooShort", [](TJobEntries& e) { e.XPos = 6, e.YPos = 6.01, e.Entry = kEntryRamp; }},
      {"RefuseRampEdgeClean", [](TJobEntries& e) { e.XPos = 9, e.YPos = 30, e.Entry = kEntryRamp; }},
      {"RefuseTooManyLines",
       [](TJobEntries& e) { e.XPos = 900000, e.Knit = 0.01, e.Cross = 0.005, e.Mode = kModeYZigzag; }},
      // A face as wide as a large cutter has two rows whatever the step: a step below the sums' rounding.
      {"RefusePassStepTooSmall",
       [](TJobEntries& e) {
         e.XPos = e.YPos = e.Knit = 200000, e.Cross = 200000 - 1e-10, e.Mode = kModeXZigzag;
       }},
  };
  const TWindowTexts texts;
  // The window names an entry by its caption; here its web name stands for it.
  const auto caption = [](const std::string& webName) {
    return QStringLiteral("<%1>").arg(QString::fromStdString(webName));
  };
  std::set<std::string> raised;
  for (const auto& r : rows) {
    TJobEntries e;
    r.enter(e);
    try {
      (void)CheckJob(e);
      ADD_FAILURE() << r.key << ": not refused";
    } catch (const EDVError& refusal) {
      const TMessageText& m = refusal.Text();
      ASSERT_EQ(m.Key, r.key) << refusal.what();
      raised.insert(m.Key);
      const QString words = texts.Text(r.key);
      EXPECT_FALSE(words.isEmpty()) << r.key;
      EXPECT_FALSE(HoldsEnglish(words)) << r.key << ": " << words.toStdString();
      const QString shown = texts.Message(m, caption);
      EXPECT_FALSE(shown.contains(QRegularExpression(QStringLiteral("%[1-9]")))) << shown.toStdString();
      for (const TMessageText& a : m.Args) {
        const QString arg = a.Entry.empty() ? QString::fromStdString(a.Words()) : caption(a.Entry);
        EXPECT_TRUE(shown.contains(arg))
            << r.key << ": " << arg.toStdString() << " in " << shown.toStdString();
      }
    }
  }
  // No refusal text without a job that meets it, but for the safety nets the entries' own limits keep out
  // of reach (sums that overflow, more than 8 GiB within the line limit).
  std::set<std::string> table;
  for (const std::string& key : TWindowTexts::Keys())
    if (key.starts_with("Refuse")) table.insert(key);
  table.erase("RefuseNotComputable");
  table.erase("RefuseTooManyBytes");
  EXPECT_EQ(raised, table);
}

// A key the window has no words for (a pack's old copy lacks it) is the English message; a pack's words
// replace the window's own.
TEST(RefusalTexts, AMessageWithoutWordsIsItsEnglishText) {
  TWindowTexts texts;
  const TMessageText unknown =
      MessageOf("NoSuchKey", "The %1 is %2", {MessageValue("X size", "x"), MessageValue("-1")});
  EXPECT_EQ(texts.Message(unknown, {}), QStringLiteral("The X size is -1"));
  const TMessageText known = MessageOf("RefuseAboveZero", "The %1 must be above zero, but it is %2",
                                       {MessageValue("X size", "x"), MessageValue("-1")});
  EXPECT_EQ(texts.Message(known, {}), QString::fromUtf8("X size必须大于零，但现为 -1"));
  texts.Set("RefuseAboveZero", QStringLiteral("%1 must be above zero, but it is %2"));
  EXPECT_EQ(texts.Message(known, [](const std::string&) { return QStringLiteral("Width"); }),
            QStringLiteral("Width must be above zero, but it is -1"));
}
