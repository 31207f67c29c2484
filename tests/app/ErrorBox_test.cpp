#include "app/ErrorBox.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "app/AppSeams.h"

// The first letter is upper case and the later letters lower case, however the file name spells them:
// the Debian executable "skimplane" titles its boxes "Skimplane", as SKIMPLANE.EXE does.
TEST(ApplicationTitle, FileNameUpToFirstDotCapitalised) {
  const struct {
    const char* path;
    const char* title;
  } rows[] = {
      {"/usr/bin/skimplane", "Skimplane"},   {"C:/Tools/SKIMPLANE.EXE", "Skimplane"},
      {"/opt/sKiM.plane.bin", "Skim"},       {"/opt/x", "X"},
      {"/opt/My TOOL.exe", "My tool"},       {"/opt/.hidden", ""},
      {"/opt/\xc3\xa9tude", "\xc3\x89tude"}, {"/opt/\xc3\x89TUDE", "\xc3\x89tude"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(ApplicationTitleFromPath(QString::fromUtf8(r.path)), QString::fromUtf8(r.title)) << r.path;
}

TEST(ErrorBoxText, FullStopWhenLastCharacterSortsAboveDot) {
  const struct {
    const char* message;
    const char* shown;
    const char* chineseStop = ".";  // the window's full stop for a message in Chinese
  } rows[] = {
      {"RootKey \"Option\" - subitem key not open.", "RootKey \"Option\" - subitem key not open."},
      {"'abc' is not a valid floating point value", "'abc' is not a valid floating point value."},
      {"Stream write error", "Stream write error."},
      {"Cannot create file \"/x/y.nc\". No such file or directory",
       "Cannot create file \"/x/y.nc\". No such file or directory."},
      {"", ""},
      {"ends in a blank ", "ends in a blank "},
      {"ends in a quote\"", "ends in a quote\""},
      {"ends in a comma,", "ends in a comma,"},
      {"ends in a hyphen-", "ends in a hyphen-"},
      {"ends in a slash/", "ends in a slash/."},  // '/' sorts just above '.'
      {"ends in a digit 5", "ends in a digit 5."},
      {"\xe4\xb8\xad\xe6\x96\x87", "\xe4\xb8\xad\xe6\x96\x87."},
      {"already two..", "already two.."},
      {"直径(R)必须大于零，但现为 -2", "直径(R)必须大于零，但现为 -2。", "。"},
      {"无法创建文件“/x”。No such file or directory", "无法创建文件“/x”。No such file or directory。", "。"},
      {"找不到文件 a.lng。", "找不到文件 a.lng。", "。"},
      {"Stream write error", "Stream write error.", "。"},  // no Chinese: the stop as always
  };
  for (const auto& r : rows) {
    EXPECT_EQ(ErrorBoxText(QString::fromUtf8(r.message), QString::fromUtf8(r.chineseStop)),
              QString::fromUtf8(r.shown))
        << r.message;
  }
}

TEST(ErrorBoxText, MessagesFromUtf8AndGbkBytes) {
  const struct {
    std::string bytes;
    const char* text;
  } rows[] = {
      {"Ini file:/opt/\xe5\xb9\xb3\xe9\x9d\xa2/x.lng not found.",
       "Ini file:/opt/\xe5\xb9\xb3\xe9\x9d\xa2/x.lng not found."},
      {"'\xc6\xbd\xc3\xe6' is not a valid integer value",
       "'\xe5\xb9\xb3\xe9\x9d\xa2' is not a valid integer value"},
      {"plain", "plain"},
  };
  for (const auto& r : rows) EXPECT_EQ(MessageFromBytes(r.bytes), QString::fromUtf8(r.text)) << r.text;
}

TEST(SaveDialog, FiltersAsQtNameFilters) {
  EXPECT_EQ(SaveDialogNameFilters(), (QStringList{"NC Files (*.nc)", "TXT Files (*.txt)", "All Files (*)"}));
}

TEST(TimeSeparator, TakenFromTheLocaleShortTimeFormat) {
  const struct {
    QLocale::Language language;
    QLocale::Territory territory;
    char separator;
  } rows[] = {
      {QLocale::English, QLocale::UnitedStates, ':'},
      {QLocale::German, QLocale::Germany, ':'},
      {QLocale::Finnish, QLocale::Finland, '.'},
      {QLocale::C, QLocale::AnyTerritory, ':'},
  };
  for (const auto& r : rows)
    EXPECT_EQ(TimeSeparatorOf(QLocale(r.language, r.territory)), r.separator) << int(r.language);
}

