// The Generate command through the real window: the dialog seam answers, the program is written by the
// toolpath library, and the boxes report.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cerrno>

#include "AppTestSeams.h"
#include "ChildProcess.h"
#include "TempDir.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/FormSettingsWindow.h"
#include "app/Skimplane_form.h"
#include "dvTools/AtomicFileWriter.h"
#include "toolpath/FacingJob.h"
#include "toolpath/JobFields.h"

namespace fs = std::filesystem;

namespace {

// The golden programs carry the example's path in their third line; the window writes the path the
// dialog gave instead.
std::string GoldenFor(const char* golden, const std::string& headerPath) {
  std::string text = ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / golden);
  const std::string examplePath = "D:\\nc\\plate.nc";
  const auto at = text.find(examplePath);
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) text.replace(at, examplePath.size(), headerPath);
  return text;
}

QString Q(const fs::path& p) {
  return QString::fromStdString(p.string());
}

class GenerateTest : public ::testing::Test {
 protected:
  TempDir dir;
  TSeamLog log;
  std::unique_ptr<TfrmSkimplane> form = CreateMainWindow(TestSeams(log));

  // The worked example: 20 x 12, two layers, everything else as the window opens.
  void EnterPlate() {
    form->edtXPos->SetValue(20);
    form->edtYPos->SetValue(12);
    form->edtLayer->SetValue(2);
  }
  void ClickGenerate() { QTest::mouseClick(form->btnGenerate, Qt::LeftButton); }
};

}  // namespace

TEST_F(GenerateTest, WritesTheProgramForTheWindowsValues) {
  const struct {
    bool absolute;
    const char* golden;
  } rows[] = {{false, "plate-2-layers-relative.nc"}, {true, "plate-2-layers-absolute.nc"}};
  for (const auto& r : rows) {
    const fs::path out = dir / (std::string(r.golden) + ".out.nc");
    log.savePath = Q(out);
    log.messages.clear();
    EnterPlate();
    (r.absolute ? form->opnZUpAbs : form->opnZUpRel)->setChecked(true);
    ClickGenerate();
    ExpectSameBytes(ReadBytes(out), GoldenFor(r.golden, out.string()));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].title, QStringLiteral("Skimplane"));
    EXPECT_EQ(log.messages[0].text, QStringLiteral("Success."));
    EXPECT_TRUE(log.errors.empty());
  }
}

TEST_F(GenerateTest, HeaderShowsThePathInGbkAndTheLocalTimeSeparator) {
  const struct {
    const char* name;     // UTF-8 file name
    std::string gbkName;  // as the header shows it
    char separator;
    const char* time;
  } rows[] = {
      {"plate.nc", "plate.nc", ':', "2011-06-18 14:05"},
      {"\xe5\xb9\xb3\xe9\x9d\xa2.nc", "\xc6\xbd\xc3\xe6.nc", '.', "2011-06-18 14.05"},
      // Parentheses would end the comment early; the file keeps its true name.
      {"plate (2).nc", "plate [2].nc", ':', "2011-06-18 14:05"},
  };
  for (const auto& r : rows) {
    const fs::path out = dir / fs::u8path(r.name);
    log.savePath = QString::fromUtf8(out.u8string().c_str());
    log.timeSeparator = r.separator;
    ClickGenerate();
    const std::string text = ReadBytes(out);
    const std::string expected =
        "( " + (dir.path().string() + "/" + r.gbkName) + " \xb4\xb4\xbd\xa8\xd3\xda " + r.time + " )\r\n";
    EXPECT_NE(text.find(expected), std::string::npos) << r.name;
  }
}

TEST_F(GenerateTest, ReadsEveryControlIntoTheJob) {
  form->edtXPos->SetValue(0.1245);
  form->edtYPos->SetValue(-5);
  form->edtKnit->SetValue(10);
  form->edtCross->SetValue(1.5);
  form->edtZPos->SetValue(0.25);
  form->edtZUp->SetValue(7);
  form->opnZUpAbs->setChecked(true);
  form->edtSpeed->SetValue(12000);
  form->edtFro->SetValue(300);
  form->edtLayer->SetValue(-3);
  form->chkClearEnd->setChecked(false);
  const struct {
    QRadioButton* strategy;
    int mode;
  } rows[] = {{form->opnDelta, 1}, {form->opnXArrow, 2}, {form->opnYArrow, 3}};
  for (const auto& r : rows) {
    r.strategy->setChecked(true);
    const TJobEntries e = form->ReadJobEntries();
    EXPECT_EQ(e.XPos, 0.1245);
    EXPECT_EQ(e.YPos, -5);
    EXPECT_EQ(e.Knit, 10);
    EXPECT_EQ(e.Cross, 1.5);
    EXPECT_EQ(e.ZPos, 0.25);
    EXPECT_EQ(e.ZUp, 7);
    EXPECT_TRUE(e.ZUpAbs);
    EXPECT_EQ(e.Speed, 12000);
    EXPECT_EQ(e.Fro, 300);
    EXPECT_EQ(e.Layer, -3);
    EXPECT_FALSE(e.ClearEnd);
    EXPECT_EQ(e.Mode, r.mode);
  }
}

// Every entry of the job the window shows comes back as it was put in, the machining options' too.
TEST_F(GenerateTest, ShowsEveryEntryItIsGivenAndReadsItBack) {
  TJobEntries given;
  given.XPos = 40, given.Cross = 1.25, given.Mode = kModeYZigzag, given.ClearEnd = false;
  given.Dialect = kDialectGrbl, given.Coolant = kCoolantFlood, given.Dwell = 2.5;
  given.Direction = kDirectionConventional, given.FinishDepth = 0.2, given.FinishFeed = 70;
  given.Overcut = 1.5, given.Entry = kEntryRamp, given.RampAngle = 7.5, given.FinishCentre = true;
  form->SetJobEntries(given);
  const TJobEntries e = form->ReadJobEntries();
  for (const TJobField& f : kJobFields) EXPECT_EQ(f.Get(e), f.Get(given)) << f.Noun;
  EXPECT_TRUE(form->opnConventional->isChecked());
  EXPECT_TRUE(form->opnRamp->isChecked());
}

// A Skimplane.ini loaded into the window, Generate, and skimplane-cli --settings with the same file: the
// same program byte for byte, whatever options the file holds; the step-over typed in the window writes
// what --stepover writes.
TEST(GenerateLikeTheCli, TheWindowWritesWhatSkimplaneCliWritesForTheSameSettings) {
  const std::string kOptions =
      "  Dwell:2.5\r\n  FinishDepth:0.2\r\n  FinishFeed:80\r\n  Overcut:1.5\r\n  Entry:ramp\r\n  "
      "RampAngle:5\r\n";
  const struct {
    const char* name;
    std::string entries;  // lines of the Option block
    std::function<void(TfrmSkimplane&)> enter;
    std::vector<std::string> cliOptions;
  } rows[] = {
      {"no options", "  Length:40\r\n  Width:30\r\n", {}, {}},
      {"every option, along X for GRBL",
       "  Length:40\r\n  Width:30\r\n  Knit:8\r\n  Cross:1\r\n  Layer:3\r\n  Mode:2\r\n  Dialect:grbl\r\n"
       "  Coolant:flood\r\n  Direction:climb\r\n" +
           kOptions,
       {},
       {}},
      {"every option, a spiral in ISO",
       "  Length:60\r\n  Width:45\r\n  ZPos:0.5\r\n  Layer:2\r\n  Mode:1\r\n  Coolant:off\r\n" + kOptions +
           "  Direction:conventional\r\n  FinishCentre:TRUE\r\n",
       {},
       {}},
      {"the step-over typed",
       "  Knit:10\r\n  Mode:3\r\n",
       [](TfrmSkimplane& f) { f.edtStepover->SetValue(65); },
       {"--stepover", "65"}},
  };
  for (const auto& r : rows) {
    TempDir dir;
    WriteBytes(dir / "Skimplane.ini", "Option:[%RootKey%]\r\n[%\r\n" + r.entries + "%]\r\n");
    TSeamLog log;
    log.executable = Q(dir / "skimplane");
    log.savePath = Q(dir / "out.nc");
    TAppSeams seams = TestSeams(log);
    UseSettingsFile(seams, '.');
    auto form = CreateMainWindow(std::move(seams));
    ASSERT_TRUE(log.errors.empty()) << r.name << ": " << log.errors.front().text.toStdString();
    if (r.enter) r.enter(*form);
    form->btnGenerateClick();
    ASSERT_TRUE(log.errors.empty()) << r.name << ": " << log.errors.front().text.toStdString();
    const std::string window = ReadBytes(dir / "out.nc");
    fs::remove(dir / "out.nc");
    std::vector<std::string> args = {"--settings", "Skimplane.ini", "--time", "2011-06-18 14:05",
                                     "-o",         "out.nc"};
    args.insert(args.end(), r.cliOptions.begin(), r.cliOptions.end());
    const TCliResult cli = RunCli(dir, args);
    ASSERT_EQ(cli.exitCode, 0) << r.name << ": " << cli.err;
    ExpectSameBytes(window, ReadBytes(dir / "out.nc"), r.name);
  }
}

TEST_F(GenerateTest, CancelWritesNothingAndShowsNothing) {
  log.savePath.reset();
  ClickGenerate();
  EXPECT_EQ(log.dialogCalls, 1);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  EXPECT_TRUE(log.messages.empty());
  EXPECT_TRUE(log.errors.empty());
}

TEST_F(GenerateTest, OverwritesAnExistingFileWithoutAQuestion) {
  const fs::path out = dir / "plate.nc";
  WriteBytes(out, "old content");
  log.savePath = Q(out);
  EnterPlate();
  ClickGenerate();
  ExpectSameBytes(ReadBytes(out), GoldenFor("plate-2-layers-relative.nc", out.string()));
  EXPECT_EQ(log.messages.size(), 1u);
}

TEST_F(GenerateTest, RefusalsAndWriteFailuresGoToTheErrorBoxAndWriteNothing) {
  const fs::path missing = dir / "no such folder" / "plate.nc";
  const fs::path kept = dir / "kept.nc";
  const struct {
    const char* what;
    fs::path out;
    std::function<void(TfrmSkimplane&)> enter;
    std::string text;  // the whole text, or its beginning when it ends in "..."
  } rows[] = {
      {"pass step zero", kept, [](TfrmSkimplane& f) { f.edtCross->SetValue(6); },
       "步距（直径(R) - 重叠(C)）必须大于零，但 直径(R) 6 - 重叠(C) 6 = 0。"},
      {"diameter negative", kept, [](TfrmSkimplane& f) { f.edtKnit->SetValue(-2); },
       "直径(R)必须大于零，但现为 -2。"},
      // The system's reason stays as the system gives it, inside the window's sentence.
      {"missing folder", missing, [](TfrmSkimplane&) {},
       "无法创建文件“" + missing.string() + "”。" + SystemReason(ENOENT) + "。"},
      {"feed zero", kept, [](TfrmSkimplane& f) { f.edtFro->SetValue(0); }, "给进(F)必须大于零，但现为 0。"},
      {"spindle speed negative", kept, [](TfrmSkimplane& f) { f.edtSpeed->SetValue(-100); },
       "主轴(S)必须大于零，但现为 -100。"},
  };
  WriteBytes(kept, "old content");
  for (const auto& r : rows) {
    TSeamLog rowLog;
    rowLog.executable = QStringLiteral("/usr/local/bin/SKIMPLANE");
    rowLog.savePath = Q(r.out);
    const auto form = BuildMainWindow(TestSeams(rowLog));
    TfrmSkimplane& f = *form;
    r.enter(f);
    f.btnGenerateClick();
    EXPECT_TRUE(rowLog.messages.empty()) << r.what;
    ASSERT_EQ(rowLog.errors.size(), 1u) << r.what;
    EXPECT_EQ(rowLog.errors[0].title, QStringLiteral("Skimplane")) << r.what;
    const QString text = rowLog.errors[0].text;
    const QString expected = QString::fromStdString(r.text);
    if (expected.endsWith(QStringLiteral("..."))) {
      EXPECT_TRUE(text.startsWith(expected.chopped(3))) << r.what << ": " << text.toStdString();
    } else {
      EXPECT_EQ(text, expected) << r.what;
    }
    EXPECT_EQ(ReadBytes(kept), "old content") << r.what;
    EXPECT_FALSE(fs::exists(missing.parent_path())) << r.what;
  }
  // Nothing but the kept file was left behind, not even a temporary file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SaveDialogSeam, RealDialogKeepsTheLastPathAndFilterForTheRun) {
  TempDir dir;
  const QString chosen = Q(dir / "part.txt");
  const QString txtFilter = QStringLiteral("TXT Files (*.txt)");
  TAppSeams seams = DefaultSeams();
  struct TRound {
    bool accept;
    QString expectPreselectedFile;  // empty: nothing preselected
    QString expectFilter;
  };
  const TRound rounds[] = {
      {true, QString(), QStringLiteral("NC Files (*.nc)")},
      {false, chosen, txtFilter},
  };
  for (const auto& r : rounds) {
    QFileDialog* seen = nullptr;
    QTimer::singleShot(0, [&] {
      seen = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!seen) return;
      EXPECT_EQ(seen->acceptMode(), QFileDialog::AcceptSave);
      EXPECT_EQ(seen->nameFilters(), SaveDialogNameFilters());
      EXPECT_EQ(seen->defaultSuffix(), QStringLiteral("nc"));
      EXPECT_TRUE(seen->testOption(QFileDialog::DontConfirmOverwrite));
      EXPECT_EQ(seen->selectedNameFilter(), r.expectFilter);
      if (!r.expectPreselectedFile.isEmpty()) {
        EXPECT_EQ(seen->selectedFiles().value(0), r.expectPreselectedFile);
      }
      if (r.accept) {
        seen->selectNameFilter(txtFilter);
        seen->selectFile(chosen);
        static_cast<QDialog*>(seen)->accept();  // as the Save button does
      } else {
        seen->reject();
      }
    });
    const std::optional<QString> answer = seams.ChooseSaveFile(nullptr);
    ASSERT_NE(seen, nullptr);
    if (r.accept) {
      EXPECT_EQ(answer, std::optional<QString>(chosen));
    } else {
      EXPECT_FALSE(answer.has_value());
    }
  }
}
