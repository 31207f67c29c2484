// The settings file and the language packs on the real main window, offscreen.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>

#include <memory>

#include "../app/AppTestSeams.h"
#include "TempDir.h"
#include "TestSupport.h"
#include "app/Application.h"
#include "app/FormSettingsWindow.h"
#include "app/Skimplane_form.h"
#include "toolpath/FacingJob.h"
#include "toolpath/JobFields.h"

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// A folder that plays the executable's, with the real seams of the settings steps.
struct TProgramFolder {
  TempDir dir;
  TSeamLog log;
  char separator = '.';

  TProgramFolder() { log.executable = QString::fromStdString((dir / "skimplane").string()); }
  [[nodiscard]] fs::path Ini() const { return dir / "Skimplane.ini"; }
  void ShipPacks() {
    fs::create_directories(dir / "packs");
    for (const auto& e : fs::directory_iterator(fs::path(SKIMPLANE_BIN_DIR) / "packs"))
      fs::copy_file(e.path(), dir / "packs" / e.path().filename());
  }
  // A window built and through its creation handler, as the program starts it.
  std::unique_ptr<TfrmSkimplane> Start() {
    TAppSeams seams = TestSeams(log);
    UseSettingsFile(seams, separator);
    return CreateMainWindow(std::move(seams));
  }
  [[nodiscard]] std::vector<std::string> Errors() const {
    std::vector<std::string> texts;
    for (const auto& e : log.errors) texts.push_back(e.text.toStdString());
    return texts;
  }
};

QString TabText(const TfrmSkimplane& form, int index) {
  return form.PageControl1->TabBar()->tabText(index);
}

QString Caption(const TfrmSkimplane& form, const char* name) {
  QObject* o = form.findChild<QObject*>(QLatin1String(name));
  if (auto* label = qobject_cast<TLabel*>(o)) return label->Caption();
  if (auto* button = qobject_cast<QAbstractButton*>(o)) return button->text();
  return QStringLiteral("(no caption)");
}

}  // namespace

TEST(FormSettings, EnglishPackRecaptionsTheRealWindow) {
  TProgramFolder p;
  p.ShipPacks();
  WriteBytes(p.Ini(), Crlf({"Option:[%RootKey%]", "[%", "  Length:12.5", "  Width:34", "  Mode:3",
                            "  ClearEnd:FALSE", "  Speed:800", "  Lang:packs\\English.lng", "%]"}));
  auto form = p.Start();
  EXPECT_TRUE(p.log.errors.empty()) << p.Errors().front();

  EXPECT_EQ(form->edtXPos->Value(), 12.5);
  EXPECT_EQ(form->edtYPos->Value(), 34);
  EXPECT_EQ(form->edtSpeed->IntValue(), 800);
  EXPECT_TRUE(form->opnYArrow->isChecked());
  EXPECT_FALSE(form->opnDelta->isChecked());
  EXPECT_FALSE(form->chkClearEnd->isChecked());

  const char* const pages[] = {"Workpiece", "Cutter", "Motion", "Machining", "About"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(TabText(*form, i), QLatin1String(pages[i])) << i;
  const struct {
    const char* name;
    const char* caption;
  } captions[] = {
      {"Label1", "Length:"},
      {"Label2", "* Y axis, forward"},
      {"Label3", "Width:"},
      {"Label4", "* X axis, to the right"},
      {"Label5", "Diameter(R):"},
      {"Label13", "layers"},
      {"Label14", "rpm"},
      {"opnDelta", "Spiral"},
      {"opnXArrow", "Along X"},
      {"opnYArrow", "Along Y"},
      {"chkClearEnd", "Clean the remaining edge"},
      {"opnZUpRel", "Relative"},
      {"opnZUpAbs", "Absolute"},
      {"Label45", "s"},
      {"opnPlunge", "Plunge"},
      {"opnConventional", "Conventional"},
      {"lblLangPack", "LangPack: English"},
      // never re-captioned
      {"Label39", "mm"},
      {"Label38", "%"},
      {"lblVersion", "Skimplane v1.3"},
      // the window's own texts
      {"btnClose", "Close"},
      {"btnGenerate", "Generate"},
  };
  for (const auto& c : captions) EXPECT_EQ(Caption(*form, c.name), U(c.caption)) << c.name;

  // A label grows with its new caption.
  auto* label5 = form->findChild<TLabel*>(QStringLiteral("Label5"));
  EXPECT_EQ(label5->size(), label5->TextExtent());

  // The window's font reaches every control without a font of its own; the grey hints and the letters
  // keep theirs.
  EXPECT_EQ(form->font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(form->property("Charset").toInt(), 0);
  for (const char* name : {"Label1", "Label5", "btnGenerate", "chkClearEnd", "opnDelta", "edtKnit"})
    EXPECT_EQ(form->findChild<QWidget*>(QLatin1String(name))->font().family(), QStringLiteral("Tahoma"))
        << name;
  for (const char* name : {"Label2", "Label4", "Label16"})
    EXPECT_EQ(form->findChild<QWidget*>(QLatin1String(name))->font().family(), U("宋体")) << name;

  // At exit the entries are stored and the pack's name stays where it stood.
  form.reset();
  EXPECT_EQ(ReadBytes(p.Ini()),
            Crlf({"Option:[%RootKey%]", "[%", "  Length:12.5", "  Width:34", "  Mode:3", "  ClearEnd:FALSE",
                  "  Speed:800", "  Lang:packs\\English.lng", "  Knit:6", "  Cross:0.5", "  ZPos:1",
                  "  ZUp:2", "  Layer:1", "  Fro:120", "%]"}));
}

TEST(FormSettings, ChinesePacksShowTheirCaptionsOnTheRealWindow) {
  const struct {
    std::string lang;
    std::string packFile;
    const char* font;
    int charset;
    const char* page1;
    const char* label1;
    const char* credit;
  } rows[] = {
      {"packs\\Chinese-Traditional.lng", "", "細明體", 136, "銑刀選項", "長度：", "LangPack: 繁體中文"},
      {"zh.lng", std::string(SKIMPLANE_TEST_DATA) + "/settings/chinese-simplified-gbk.lng", "宋体", 134,
       "铣刀选项", "长度：", "LangPack: 简体中文"},
  };
  for (const auto& r : rows) {
    TProgramFolder p;
    p.ShipPacks();
    if (!r.packFile.empty()) fs::copy_file(r.packFile, p.dir / r.lang);
    WriteBytes(p.Ini(), Crlf({"Option:[%RootKey%]", "[%", "  Lang:" + r.lang, "%]"}));
    auto form = p.Start();
    EXPECT_TRUE(p.log.errors.empty()) << r.lang;
    EXPECT_EQ(form->font().family(), U(r.font)) << r.lang;
    EXPECT_EQ(form->property("Charset").toInt(), r.charset) << r.lang;
    EXPECT_EQ(TabText(*form, 1), U(r.page1)) << r.lang;
    EXPECT_EQ(Caption(*form, "Label1"), U(r.label1)) << r.lang;
    EXPECT_EQ(Caption(*form, "lblLangPack"), U(r.credit)) << r.lang;
  }
}

TEST(FormSettings, FirstRunCreatesTheFileAndTheNextRunRestoresIt) {
  TProgramFolder p;
  p.separator = ',';
  {
    auto form = p.Start();
    EXPECT_TRUE(p.log.errors.empty());
    EXPECT_FALSE(fs::exists(p.Ini()));
    form->edtXPos->SetValue(320.25);
    form->edtCross->SetValue(0.1);
    form->edtFro->SetIntValue(-40);
    form->opnXArrow->click();
    form->opnZUpAbs->click();
    form->chkClearEnd->click();
    // The machining page: each option stored once chosen; the step-over as the overlap it makes.
    form->edtOvercut->SetValue(0.75);
    form->edtStepover->SetValue(90);
    form->opnRamp->click();
    form->edtRampAngle->SetValue(2.5);
    form->opnConventional->click();
    form->edtFinishDepth->SetValue(0.05);
    form->edtFinishFeed->SetIntValue(45);
    form->edtDwell->SetValue(1.5);
  }
  EXPECT_EQ(ReadBytes(p.Ini()),
            Crlf({"Option:[%RootKey%]", "[%", "  Length:320,25", "  Width:200", "  Knit:6", "  Cross:0,6",
                  "  ZPos:1", "  ZUp:2", "  Layer:1", "  Speed:5000", "  Fro:-40", "  ClearEnd:FALSE", "  Mode:2",
                  "  Dwell:1,5", "  Direction:conventional", "  FinishDepth:0,05", "  FinishFeed:45",
                  "  Overcut:0,75", "  Entry:ramp", "  RampAngle:2,5", "%]"}));
  auto form = p.Start();
  EXPECT_TRUE(p.log.errors.empty());
  EXPECT_EQ(form->edtXPos->Value(), 320.25);
  // The file keeps 15 digits of the overlap the step-over made, as of every number.
  EXPECT_EQ(form->edtCross->Value(), 0.6);
  EXPECT_EQ(form->edtStepover->Value(), (6 - 0.6) / 6 * 100);
  EXPECT_EQ(form->edtFro->IntValue(), -40);
  EXPECT_TRUE(form->opnXArrow->isChecked());
  EXPECT_TRUE(form->opnZUpRel->isChecked());  // the retract mode is not stored
  EXPECT_FALSE(form->chkClearEnd->isChecked());
  EXPECT_EQ(form->edtOvercut->Value(), 0.75);
  EXPECT_TRUE(form->opnRamp->isChecked());
  EXPECT_EQ(form->edtRampAngle->Value(), 2.5);
  EXPECT_TRUE(form->opnConventional->isChecked());
  EXPECT_EQ(form->edtFinishDepth->Value(), 0.05);
  EXPECT_EQ(form->edtFinishFeed->IntValue(), 45);
  EXPECT_EQ(form->edtDwell->Value(), 1.5);
  EXPECT_EQ(TabText(*form, 0), U("材质平面"));  // no pack: the window's own captions
}

// The boxes are the window's, in its language (here its own Chinese); the command line's tests hold the
// English messages.
TEST(FormSettings, ErrorsAreShownInTheErrorBoxAndTheWindowKeepsWhatWasDone) {
  const struct {
    const char* name;
    std::string settings;
    std::vector<std::string> errors;  // at start, then at exit; <dir> is the folder
    double xPos;
    bool xArrow;
    const char* label1;
    bool kept = false;  // the file keeps its bytes through the exit
  } rows[] = {
      // An entry that cannot be read is not overwritten with the window's design value at exit.
      {"bad number",
       Crlf({"Option:[%RootKey%]", "[%", "  Length:7", "  Knit:abc", "  Mode:2", "%]"}),
       {"“<dir>/Skimplane.ini”，“Knit”项：“abc”不是有效的浮点数。",
        "“<dir>/Skimplane.ini”，“Knit”项：“abc”不是有效的浮点数；文件保持不变，窗口中的输入没有保存。"},
       7,
       true,  // the entries after the bad one are read all the same
       "长度：",
       true},
      {"NUL byte",
       "Option:[%RootKey%]\r\n[%\r\n  Length:7\r\n\0\0\0\r\n  Knit:8\r\n  Mode:2\r\n%]\r\n"s,
       {"“<dir>/Skimplane.ini”，第 4 行“\\x00\\x00\\x00”：此处的 NUL 字节结束了文本，其后的内容都不会读取。",
        "“<dir>/Skimplane.ini”，第 4 行“\\x00\\x00\\x00”：此处的 NUL 字节结束了文本，其后的内容都不会读取；"
        "文件保持不变，窗口中的输入没有保存。"},
       7,
       false,
       "长度：",
       true},
      {"empty file",
       "",
       {"“Option”下没有打开的子项。", "“Option”下没有打开的子项。"},
       150,
       false,
       "长度：",
       true},
      {"missing pack",
       Crlf({"Option:[%RootKey%]", "[%", "  Length:9", "  Mode:2", "  Lang:nothere.lng", "%]"}),
       {"找不到文件 <dir>/nothere.lng。"},
       9,
       true,
       "长度："},
      {"pack without Lang",
       Crlf({"Option:[%RootKey%]", "[%", "  Mode:2", "  Lang:p.lng", "%]"}),
       {"“Lang”下没有打开的子项。"},
       150,
       true,
       "长度："},
  };
  for (const auto& r : rows) {
    TProgramFolder p;
    WriteBytes(p.Ini(), r.settings);
    WriteBytes(p.dir / "p.lng", Crlf({"Option:[%RootKey%]", "[%", "  LangPack:\" half\"", "%]"}));
    auto form = p.Start();
    EXPECT_EQ(form->edtXPos->Value(), r.xPos) << r.name;
    EXPECT_EQ(form->opnXArrow->isChecked(), r.xArrow) << r.name;
    EXPECT_EQ(Caption(*form, "Label1"), U(r.label1)) << r.name;
    EXPECT_TRUE(form->isEnabled());
    form.reset();
    std::vector<std::string> expected = r.errors;
    for (auto& e : expected) {
      if (const auto at = e.find("<dir>"); at != std::string::npos) e.replace(at, 5, p.dir.path().string());
    }
    EXPECT_EQ(p.Errors(), expected) << r.name;
    // The title is the executable's name ("skimplane") capitalised.
    for (const auto& e : p.log.errors) EXPECT_EQ(e.title, QStringLiteral("Skimplane")) << r.name;
    if (r.kept) {
      EXPECT_EQ(ReadBytes(p.Ini()), r.settings) << r.name;
    }
  }
}

// The controller box: below the Motion page's own controls, re-captioned by the shipped pack, kept in
// Skimplane.ini only once it differs from the ISO program with mist coolant, and followed by the job.
TEST(FormSettings, ControllerBoxChoosesDialectAndCoolant) {
  TProgramFolder p;
  p.ShipPacks();
  WriteBytes(p.Ini(), Crlf({"Option:[%RootKey%]", "[%", "  Dialect:grbl", "  Coolant:flood", "  Dwell:2.5",
                            "  Lang:packs\\English.lng", "%]"}));
  auto form = p.Start();
  ASSERT_TRUE(p.log.errors.empty()) << p.Errors().front();
  auto* box = form->findChild<QComboBox*>(QStringLiteral("cmbController"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->parentWidget(), form->tabOption);
  EXPECT_EQ(box->currentIndex(), 4);
  EXPECT_EQ(box->itemText(0), QStringLiteral("ISO, mist coolant (M07)"));
  EXPECT_EQ(box->currentText(), QStringLiteral("GRBL 1.1, flood coolant (M8)"));
  EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("lblController"))->text(), QStringLiteral("Controller:"));
  TJobEntries e = form->ReadJobEntries();
  EXPECT_EQ(e.Dialect, kDialectGrbl);
  EXPECT_EQ(e.Coolant, kCoolantFlood);
  EXPECT_EQ(e.Dwell, 2.5);

  // It overlaps none of the page's other controls and stays inside the page.
  form->PageControl1->SetActivePageIndex(2);
  form->show();
  for (QWidget* w : form->tabOption->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w == box || w->objectName() == QLatin1String("lblController")) continue;
    EXPECT_FALSE(w->geometry().intersects(box->geometry())) << w->objectName().toStdString();
  }
  EXPECT_TRUE(QRect(QPoint(0, 0), form->tabOption->size()).contains(box->geometry()))
      << form->tabOption->width() << " x " << form->tabOption->height();

  box->setCurrentIndex(3);  // GRBL, no coolant: the dialect's own coolant
  EXPECT_EQ(form->ReadJobEntries().Coolant, kCoolantOff);
  form.reset();
  const std::string saved = ReadBytes(p.Ini());
  EXPECT_NE(saved.find("  Dialect:grbl\r\n  Coolant:off\r\n  Dwell:2.5\r\n"), std::string::npos) << saved;

  // The design choice is the ISO program with mist coolant; a new file gains no key for it.
  TProgramFolder fresh;
  auto plain = fresh.Start();
  EXPECT_EQ(plain->cmbController->currentIndex(), 0);
  EXPECT_EQ(plain->ReadJobEntries().Dialect, kDialectIso);
  plain.reset();
  // Nor for any option the user never touched, the machining page's included.
  const std::string first = ReadBytes(fresh.Ini());
  for (const TJobField& f : kJobFields) {
    if (f.Key && f.Write == TWriteRule::wrOnceChanged) {
      EXPECT_EQ(first.find(std::string(" ") + f.Key + ":"), std::string::npos) << f.Key << "\n" << first;
    }
  }
}
