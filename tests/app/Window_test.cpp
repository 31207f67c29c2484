// The window as the program builds it (the application set up by SetUpApplication, the window by
// CreateMainWindow, the real settings steps in a folder of its own): fonts under the skin, the keyboard's
// way round, boxes at start-up, stored entries, and the refusals before the save dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "TestProgram.h"
#include "app/Application.h"
#include "app/FormSettingsWindow.h"
#include "app/PreviewCaptions.h"
#include "app/PreviewWindow.h"
#include "app/QtLanguage.h"
#include "app/Skimplane_form.h"
#include "app/WindowTexts.h"
#include "dvTools/dvIniTools.h"

namespace fs = std::filesystem;

namespace {

// Controls with fonts of their own: the grey hints and the letters on the cutter picture.
bool HasOwnFont(const QString& name) {
  static const QStringList own = {"Label2", "Label4", "Label16", "Label19", "Label23"};
  return own.contains(name);
}

// Every named control on the pages and the window's own buttons, with its resolved font.
std::vector<std::pair<QString, QFontInfo>> ResolvedFonts(const TfrmSkimplane& form) {
  std::vector<std::pair<QString, QFontInfo>> fonts;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    if (!w->property("Tag").isValid() || w->objectName().startsWith(QLatin1String("tab"))) continue;
    if (w->objectName().startsWith(QLatin1String("Image")) || w->objectName() == QLatin1String("Bevel1"))
      continue;
    fonts.emplace_back(w->objectName(), QFontInfo(w->font()));
    // A spin edit shows its number in its own text field.
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
      fonts.emplace_back(w->objectName() + "/text", QFontInfo(spin->findChild<QLineEdit*>()->font()));
  }
  return fonts;
}

}  // namespace

TEST(WindowFonts, EveryControlTakesTheWindowFontUnderTheSkinAlsoAfterAPack) {
  const struct {
    const char* name;
    std::string pack;  // "" for none
  } rows[] = {
      {"no pack", ""},
      {"serif pack", Crlf({"Option:[%RootKey%]", "[%", "  FontName:DejaVu Serif", "  Charset:ANSI_CHARSET",
                           "%]", "Lang:[%RootKey%]", "[%", "  Sheet1:Face", "%]"})},
      {"sans pack", Crlf({"Option:[%RootKey%]", "[%", "  FontName:DejaVu Sans", "  Charset:ANSI_CHARSET",
                          "%]", "Lang:[%RootKey%]", "[%", "  Sheet1:Face", "%]"})},
  };
  QString ownFamily;
  for (const auto& r : rows) {
    TProgram p;
    if (!r.pack.empty()) {
      WriteBytes(p.dir / "p.lng", r.pack);
      WriteBytes(p.Ini(), OptionBlock({"Lang:p.lng"}));
    }
    auto form = p.Start();
    form->show();
    ASSERT_TRUE(p.log.errors.empty()) << r.name;
    const QFontInfo window(form->font());
    EXPECT_EQ(window.pixelSize(), 13) << r.name;
    if (!r.pack.empty()) {
      EXPECT_EQ(window.family(), form->font().family()) << r.name;  // the pack's font exists
    }
    int checked = 0;
    for (const auto& [name, info] : ResolvedFonts(*form)) {
      if (HasOwnFont(name)) {
        // Their own font stays whatever the pack says.
        if (ownFamily.isEmpty()) ownFamily = info.family();
        EXPECT_EQ(info.family(), ownFamily) << r.name << " " << name.toStdString();
        continue;
      }
      EXPECT_EQ(info.family(), window.family()) << r.name << " " << name.toStdString();
      EXPECT_EQ(info.pixelSize(), 13) << r.name << " " << name.toStdString();
      ++checked;
    }
    EXPECT_GT(checked, 40) << r.name;
    // The ruled label on the About page paints with the window's font too.
    EXPECT_EQ(QFontInfo(form->ZQLabel1->font()).family(), window.family()) << r.name;
    // The tabs and buttons as well.
    EXPECT_EQ(QFontInfo(form->PageControl1->TabBar()->font()).family(), window.family()) << r.name;
  }
}

TEST(WindowKeyboard, TabGoesRoundTheWindowAndThePageOnShow) {
  TSeamLog log;
  auto form = CreateMainWindow(TestSeams(log));
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  const auto focused = [] {
    QWidget* w = QApplication::focusWidget();
    // The text field inside a spin edit counts as the spin edit.
    if (w && qobject_cast<QAbstractSpinBox*>(w->parentWidget())) w = w->parentWidget();
    return w ? (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                          : w->objectName())
             : QStringLiteral("");
  };
  const struct {
    int page;
    std::vector<const char*> round;  // from btnClose, Tab by Tab, back to btnClose
  } rows[] = {
      {0, {"btnClose", "btnGenerate", "btnPreview", "QTabBar", "edtYPos", "edtXPos", "btnClose"}},
      {1,
       {"btnClose", "btnGenerate", "btnPreview", "QTabBar", "edtKnit", "edtZPos", "edtZUp", "opnZUpRel",
        "edtCross", "btnClose"}},
      {2,
       {"btnClose", "btnGenerate", "btnPreview", "QTabBar", "edtSpeed", "edtFro", "opnDelta", "edtLayer",
        "chkClearEnd", "cmbController", "btnClose"}},
      // A closed entry (the ramp angle without ramp entry, the finishing feed without a finishing depth)
      // is no stop.
      {3,
       {"btnClose", "btnGenerate", "btnPreview", "QTabBar", "edtOvercut", "edtStepover", "opnPlunge",
        "opnBothWays", "edtFinishDepth", "edtDwell", "btnClose"}},
      {4, {"btnClose", "btnGenerate", "btnPreview", "QTabBar", "btnClose"}},
  };
  for (const auto& r : rows) {
    form->PageControl1->SetActivePageIndex(r.page);
    form->btnClose->setFocus(Qt::OtherFocusReason);
    std::vector<std::string> forward = {focused().toStdString()};
    for (size_t i = 1; i < r.round.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      forward.push_back(focused().toStdString());
    }
    EXPECT_EQ(forward, std::vector<std::string>(r.round.begin(), r.round.end())) << "page " << r.page;
    // Shift+Tab walks the same round backwards.
    std::vector<std::string> backward = {focused().toStdString()};
    for (size_t i = 1; i < r.round.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      backward.push_back(focused().toStdString());
    }
    EXPECT_EQ(backward, std::vector<std::string>(r.round.rbegin(), r.round.rend())) << "page " << r.page;
  }
}

// Whatever the pack, Tab walks each page's controls as they are laid out: down the rows, and along a row
// from the left.
TEST(WindowKeyboard, EveryPagesTabOrderFollowsItsLayout) {
  for (const char* pack :
       {static_cast<const char*>(nullptr), "packs\\English.lng", "packs\\Chinese-Traditional.lng"}) {
    TProgram p;
    auto form = p.StartInPack(pack);
    ASSERT_TRUE(p.log.errors.empty());
    for (int i = 0; i < form->PageControl1->PageCount(); ++i) {
      QList<QWidget*> stops;
      for (QWidget* w : form->PageControl1->Page(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->property("TabOrder").isValid()) stops << w;
      std::sort(stops.begin(), stops.end(), [](QWidget* a, QWidget* b) {
        return a->property("TabOrder").toInt() < b->property("TabOrder").toInt();
      });
      for (qsizetype k = 1; k < stops.size(); ++k) {
        const QRect a = stops[k - 1]->geometry(), b = stops[k]->geometry();
        const bool nextRow = b.top() > a.top();
        const bool sameRowRightwards = b.top() == a.top() && b.left() > a.left();
        EXPECT_TRUE(nextRow || sameRowRightwards)
            << (pack ? pack : "no pack") << ": " << stops[k - 1]->objectName().toStdString() << " then "
            << stops[k]->objectName().toStdString();
      }
    }
    form.reset();
  }
}

TEST(WindowKeyboard, TheTabBarShowsWhereTheKeyboardIs) {
  TSeamLog log;
  auto form = CreateMainWindow(TestSeams(log));
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTabBar* tabs = form->PageControl1->TabBar();
  form->btnClose->setFocus();
  const QImage without = tabs->grab().toImage();
  tabs->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(tabs->hasFocus());
  const QImage with = tabs->grab().toImage();
  EXPECT_NE(with, without);
}

TEST(WindowStart, ABoxAtStartNeitherEndsTheProgramNorHidesTheBoxAtExit) {
  // The real application object, the real event loop and real message boxes, answered as a user would.
  const struct {
    const char* name;
    std::string settings;
    int boxes;
  } rows[] = {
      {"empty file", "", 2},
      // The exit does not store the design value over the entry it could not read, and says so.
      {"bad entry", OptionBlock({"Width:abc", "Knit:8", "Mode:3"}), 2},
  };
  for (const auto& r : rows) {
    TProgram p;
    WriteBytes(p.Ini(), r.settings);
    TAppSeams seams = DefaultSeams();
    UseSettingsFile(seams, '.');
    seams.ExecutablePath = [&p] { return p.log.executable; };
    int boxes = 0;
    const auto realError = seams.ShowError;
    seams.ShowError = [&](QWidget* parent, const QString& title, const QString& text) {
      ++boxes;
      p.log.errors.push_back({title, text});
      // The user reads the box and presses its button.
      QTimer::singleShot(50, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          EXPECT_EQ(box->textFormat(), Qt::PlainText);  // a name like "<h1>" shows as typed
          box->accept();
        }
      });
      realError(parent, title, text);
    };
    auto form = CreateMainWindow(std::move(seams));
    QPushButton* close = form->btnClose;
    // The user looks at the window a moment, then presses Close.
    QTimer::singleShot(200, close, [close] { QTest::mouseClick(close, Qt::LeftButton); });
    const int rc = RunMainWindow(*qApp, std::move(form));
    EXPECT_EQ(rc, 0) << r.name;
    EXPECT_EQ(boxes, r.boxes) << r.name;
    // Neither file could be read whole: both keep their bytes.
    EXPECT_EQ(ReadBytes(p.Ini()), r.settings) << r.name;
  }
}

TEST(WindowStart, StoredPositionsThatCannotBeReachedKeepTheDesignedPlace) {
  const struct {
    const char* left;
    const char* top;
    QPoint expected;
  } rows[] = {
      {"dword:00000078", "dword:0000005a", QPoint(120, 90)},
      {"hex(4):78,00,00,00", "hex(4):5a,00,00,00", QPoint(120, 90)},  // least significant byte first
      {"dword:80000000", "dword:00000010", QPoint(500, 214)},
      {"dword:7fffffff", "dword:7fffffff", QPoint(500, 214)},
      {"dword:00000010", "dword:80000000", QPoint(500, 214)},
      // Only a sliver of the title bar on the screen: it could not be taken hold of.
      {"dword:fffffe48", "dword:00000010", QPoint(500, 214)},  // 23 of its 463 pixels on the screen
      {"dword:fffffe60", "dword:00000010", QPoint(-416, 16)},  // 47 pixels: enough to take hold of
      {"dword:00000010", "dword:fffffff0", QPoint(500, 214)},  // title bar above the screen
  };
  for (const auto& r : rows) {
    TProgram p;
    WriteBytes(p.dir / "Skimplane.reg",
               Crlf({"Windows Registry Editor Version 5.00", "",
                     "[HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane]",
                     std::string("\"Left\"=") + r.left, std::string("\"Top\"=") + r.top}));
    auto form = p.Start();
    EXPECT_EQ(form->pos(), r.expected) << r.left << " " << r.top;
  }
}

// A refused job is said before any file is asked for, and the window shows the page of the entry to mend
// with that entry in focus.
TEST(WindowGenerate, ARefusedJobIsRefusedBeforeTheSaveDialog) {
  const struct {
    const char* name;
    std::function<void(TfrmSkimplane&)> enter;
    const char* message;
    const char* page;
    const char* control;
  } rows[] = {
      {"pass step", [](TfrmSkimplane& f) { f.edtCross->SetValue(6); }, "步距", "tabKnit", "edtCross"},
      {"pass step below zero", [](TfrmSkimplane& f) { f.edtKnit->SetValue(0.25); }, "步距", "tabKnit",
       "edtCross"},
      {"huge face",
       [](TfrmSkimplane& f) {
         f.edtXPos->SetValue(1e9);
         f.edtYPos->SetValue(1e9);
       },
       "必须小于 1000000 mm", "tabFace", "edtXPos"},
      {"feed", [](TfrmSkimplane& f) { f.edtFro->SetValue(0); }, "给进(F)", "tabOption", "edtFro"},
      {"overcut", [](TfrmSkimplane& f) { f.edtOvercut->SetValue(-1); }, "过切(O)", "tabMachining",
       "edtOvercut"},
      {"ramp angle",
       [](TfrmSkimplane& f) {
         f.opnRamp->click();
         f.edtRampAngle->SetValue(0);
       },
       "斜坡角(A)", "tabMachining", "edtRampAngle"},
      // Closed while plunging: the entry's choice, which opens it, takes the focus.
      {"ramp angle while plunging", [](TfrmSkimplane& f) { f.edtRampAngle->SetValue(0); }, "斜坡角(A)",
       "tabMachining", "opnPlunge"},
      {"finishing feed", [](TfrmSkimplane& f) { f.edtFinishDepth->SetValue(0.5); }, "精铣给进(G)",
       "tabMachining", "edtFinishFeed"},
      {"dwell", [](TfrmSkimplane& f) { f.edtDwell->SetValue(-1); }, "主轴延时(W)", "tabMachining", "edtDwell"},
      // The step-over is the overlap: its refusal is the overlap's, on the cutter page.
      {"step-over of zero", [](TfrmSkimplane& f) { f.edtStepover->SetValue(0); }, "重叠(C)", "tabKnit",
       "edtCross"},
  };
  for (const auto& r : rows) {
    TSeamLog log;
    log.savePath = QStringLiteral("/nonexistent/never.nc");
    auto form = CreateMainWindow(TestSeams(log));
    r.enter(*form);
    QTest::mouseClick(form->btnGenerate, Qt::LeftButton);
    EXPECT_EQ(log.dialogCalls, 0) << r.name;
    ASSERT_EQ(log.errors.size(), 1u) << r.name;
    EXPECT_TRUE(log.errors.front().text.contains(QString::fromUtf8(r.message)))
        << r.name << ": " << log.errors.front().text.toStdString();
    EXPECT_EQ(form->PageControl1->ActivePage()->objectName(), QLatin1String(r.page)) << r.name;
    auto* control = form->findChild<QWidget*>(QLatin1String(r.control));
    QWidget* focused = form->focusWidget();
    EXPECT_TRUE(focused && (focused == control || control->isAncestorOf(focused))) << r.name;
  }
}

TEST(WindowEntries, AFloatFieldTakesPointAndCommaAsDecimalSeparator) {
  const struct {
    const char* typed;
    double value;
  } rows[] = {{"6,5", 6.5}, {"6.5", 6.5}, {"-0,25", -0.25}, {"12", 12}};
  TSeamLog log;
  auto form = CreateMainWindow(TestSeams(log));
  for (const auto& r : rows) {
    QLineEdit* text = form->edtKnit->findChild<QLineEdit*>();
    text->selectAll();
    QTest::keyClicks(text, QString::fromLatin1(r.typed));
    EXPECT_EQ(form->edtKnit->Value(), r.value) << r.typed;
  }
}

TEST(WindowLanguage, QtDialogsSpeakTheWindowsLanguage) {
  const struct {
    const char* pack;  // nullptr: none
    const char* locale;
    QString ok;
  } rows[] = {
      {nullptr, "zh_CN", QString::fromUtf8("确定")},
      {"packs\\English.lng", "en", QStringLiteral("OK")},
      {"packs\\Chinese-Traditional.lng", "zh_TW", QString::fromUtf8("確定")},
  };
  for (const auto& r : rows) {
    TProgram p;
    auto form = p.StartInPack(r.pack);
    EXPECT_TRUE(p.log.errors.empty()) << r.locale;
    EXPECT_EQ(QtLanguage(), QString::fromLatin1(r.locale));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("t"), QStringLiteral("x"), QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), r.ok) << r.locale;
    form.reset();
  }
}

// A key a shipped pack lacks shows its Chinese text in the middle of the pack's language: the preview
// window's texts and the main window's own (buttons, About text, boxes, progress).
TEST(WindowLanguage, ShippedPacksCaptionEveryPreviewText) {
  std::vector<std::string> keys = TPreviewCaptions::Keys();
  for (const std::string& key : TWindowTexts::Keys()) keys.push_back(key);
  for (const char* pack : {"English.lng", "Chinese-Traditional.lng"}) {
    TDVIniFile ini;
    ini.LoadFromFile(std::string(SKIMPLANE_BIN_DIR) + "/packs/" + pack);
    ini.SetQuotedStrings(true);
    ini.OpenRootKey("Lang");
    ini.OpenSubKey();
    for (const std::string& key : keys) EXPECT_TRUE(ini.ValueExists(key)) << pack << " " << key;
  }
}

// The texts of the preview window as laid out: each visible text-bearing widget's rectangle in the window,
// with whether it has the room its text needs.
struct TShownText {
  QString name;
  QRect rect;
  bool roomy;
};
std::vector<TShownText> PreviewTexts(const TPreviewWindow& window) {
  std::vector<TShownText> texts;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    const bool text = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                      qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w);
    if (!(text || w == window.Canvas) || !w->isVisibleTo(&window)) continue;
    auto* label = qobject_cast<QLabel*>(w);
    const QSize need = label && label->wordWrap() ? QSize(0, label->heightForWidth(w->width()))
                       : label                    ? w->sizeHint()
                                                  : w->minimumSizeHint();
    texts.push_back({w->objectName(), QRect(w->mapTo(&window, QPoint(0, 0)), w->size()),
                     w->width() >= need.width() && w->height() >= need.height()});
  }
  return texts;
}

// In each shipped pack, with the rows of every machining option and a status line of any length: no two
// texts of the preview window lie over each other, none is cut short, and the window keeps its size
// (at the size it opens with, and made small).
TEST(WindowLanguage, ThePreviewWindowNeverLaysATextOverAnother) {
  TJobEntries job;
  job.Mode = kModeXZigzag;
  job.Layer = 2;
  job.Direction = kDirectionClimb;
  job.Entry = kEntryRamp;
  job.Overcut = 1;
  job.FinishDepth = 0.1;
  job.FinishFeed = 300;
  for (const char* pack : {"", "packs\\English.lng", "packs\\Chinese-Traditional.lng"}) {
    TProgram p;
    auto form = p.StartInPack(pack);
    ASSERT_TRUE(p.log.errors.empty()) << pack;
    TPreviewWindow window(form.get(), form->PreviewCaptions);
    ASSERT_TRUE(window.SetJob(job));
    window.show();
    ASSERT_EQ(window.lblFigures->text().count(QLatin1Char('\n')), 11) << pack;  // 8 rows and 4 options
    for (const QSize size : {window.size(), QSize(600, 300)}) {
      window.resize(size);
      QTest::qWait(20);
      const QSize opened = window.size();
      for (int repeat : {1, 3, 40, 0}) {
        QStringList message;
        for (int i = 0; i < repeat; ++i) message << form->PreviewCaptions.Text("PreviewCancelled");
        window.ShowStatus(message.join(QLatin1Char(' ')));
        QTest::qWait(20);  // the layouts' requests are events
        const std::vector<TShownText> texts = PreviewTexts(window);
        const std::string where = std::string(pack) + " with " + std::to_string(repeat) + " messages";
        EXPECT_EQ(window.size(), opened) << where;
        EXPECT_EQ(window.lblStatus->isVisibleTo(&window), repeat > 0) << where;
        for (std::size_t i = 0; i < texts.size(); ++i) {
          EXPECT_TRUE(texts[i].roomy) << where << ": " << texts[i].name.toStdString();
          for (std::size_t j = i + 1; j < texts.size(); ++j)
            EXPECT_FALSE(texts[i].rect.intersects(texts[j].rect))
                << where << ": " << texts[i].name.toStdString() << " and " << texts[j].name.toStdString();
        }
      }
    }
  }
}

bool HasHan(const QString& text) {
  for (const QChar c : text)
    if (c.script() == QChar::Script_Han) return true;
  return false;
}

// Every text of the window a user (or a screen reader) meets, with the name of what shows it.
std::vector<std::pair<std::string, QString>> ShownTexts(TfrmSkimplane& form) {
  std::vector<std::pair<std::string, QString>> texts;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    const std::string name = w->objectName().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w)) texts.emplace_back(name, label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) texts.emplace_back(name, button->text());
    if (auto* box = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < box->count(); ++i) texts.emplace_back(name, box->itemText(i));
    if (!w->accessibleName().isEmpty()) texts.emplace_back(name + " (accessible)", w->accessibleName());
  }
  QTabBar* tabs = form.PageControl1->TabBar();
  for (int i = 0; i < tabs->count(); ++i) texts.emplace_back("tab", tabs->tabText(i));
  for (const QString& line : form.ZQLabel1->Lines()) texts.emplace_back("ZQLabel1", line);
  return texts;
}

// With the English pack no caption, button, tab, tab-bar button, controller entry or About row is Chinese;
// with the Traditional pack the buttons and About text are its own. Qt's own texts follow the pack too.
TEST(WindowLanguage, TheShippedPacksReachEveryTextOfTheWindow) {
  const struct {
    const char* pack;  // nullptr: none
    QString generate, close, aboutFirstRow, scrollLeft;
  } rows[] = {
      {nullptr, QString::fromUtf8("生成"), QString::fromUtf8("关闭"),
       QString::fromUtf8("感谢以下网友在试用中帮忙测试并报告问题："), QString::fromUtf8("向左滚动")},
      {"packs\\English.lng", QStringLiteral("Generate"), QStringLiteral("Close"),
       QStringLiteral("Thanks to these users for testing and reporting problems:"),
       QStringLiteral("Scroll Left")},
      {"packs\\Chinese-Traditional.lng", QString::fromUtf8("產生"), QString::fromUtf8("關閉"),
       QString::fromUtf8("感謝以下網友在試用中幫忙測試並回報問題："), QString::fromUtf8("往左捲動")},
  };
  for (const auto& r : rows) {
    TProgram p;
    auto form = p.StartInPack(r.pack);
    ASSERT_TRUE(p.log.errors.empty());
    QCoreApplication::processEvents();  // the language change reaches the widgets as an event
    QCoreApplication::processEvents();
    EXPECT_EQ(form->btnGenerate->text(), r.generate);
    EXPECT_EQ(form->btnClose->text(), r.close);
    ASSERT_GE(form->ZQLabel1->Lines().size(), 5);
    EXPECT_EQ(form->ZQLabel1->Lines().front(), r.aboutFirstRow);
    auto* scroll = form->PageControl1->TabBar()->findChild<QWidget*>(QStringLiteral("ScrollLeftButton"));
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->accessibleName(), r.scrollLeft) << (r.pack ? r.pack : "no pack");
    if (r.pack && QString::fromLatin1(r.pack).contains(QLatin1String("English"))) {
      for (const auto& [name, text] : ShownTexts(*form))
        EXPECT_FALSE(HasHan(text)) << name << ": " << text.toStdString();
    }
    form.reset();
    QCoreApplication::processEvents();
  }
}

// The boxes of Generate speak the pack's language and carry the product's title; with a pack a refusal
// names the entries to mend by their captions, then gives the reason in the pack's words, the entries in
// it by their captions too. Without one the boxes lead with nothing, "Success." as always, and the reason
// is the window's own Chinese.
TEST(WindowLanguage, TheBoxesOfGenerateFollowThePack) {
  const struct {
    const char* pack;  // nullptr: none
    QString refusalLead, writeLead, success, working, cancel, dwellLead, passStep, writeReason;
  } rows[] = {
      {nullptr, QString(), QString(), QStringLiteral("Success."), QString::fromUtf8("正在生成程序…"),
       QString::fromUtf8("取消"), QString::fromUtf8("主轴延时(W)必须在 0 到 3600 秒之间。"),
       QString::fromUtf8("步距（直径(R) - 重叠(C)）必须大于零，但 直径(R) 6 - 重叠(C) 6 = 0。"),
       QString::fromUtf8("无法创建文件“")},
      {"packs\\English.lng", QStringLiteral("The program cannot be made; check Overlap(C), Diameter(R):"),
       QStringLiteral("The program was not written:"), QStringLiteral("The program was written."),
       QStringLiteral("Writing the program..."), QStringLiteral("Cancel"),
       QStringLiteral("The program cannot be made; check Spindle dwell(W):"),
       QStringLiteral("The pass step (Diameter(R) - Overlap(C)) must be above zero, but Diameter(R) 6 - "
                      "Overlap(C) 6 = 0."),
       QStringLiteral("Cannot create file \"")},
      {"packs\\Chinese-Traditional.lng", QString::fromUtf8("無法產生程式，請檢查重疊(C)、直徑(R)："),
       QString::fromUtf8("程式未能寫入："), QString::fromUtf8("程式已產生。"),
       QString::fromUtf8("正在產生程式…"), QString::fromUtf8("取消"),
       QString::fromUtf8("無法產生程式，請檢查主軸延時(W)："),
       QString::fromUtf8("步距（直徑(R) - 重疊(C)）必須大於零，但 直徑(R) 6 - 重疊(C) 6 = 0。"),
       QString::fromUtf8("無法建立檔案“")},
  };
  for (const auto& r : rows) {
    TProgram p;
    auto form = p.StartInPack(r.pack);
    ASSERT_TRUE(p.log.errors.empty());
    // A refusal: the pass step is zero.
    form->edtCross->SetValue(form->edtKnit->Value());
    form->btnGenerateClick();
    ASSERT_EQ(p.log.errors.size(), 1u);
    EXPECT_EQ(p.log.errors[0].title, QStringLiteral("Skimplane"));
    const QStringList refusal = p.log.errors[0].text.split(QLatin1Char('\n'));
    ASSERT_EQ(refusal.size(), r.refusalLead.isEmpty() ? 1 : 2) << p.log.errors[0].text.toStdString();
    if (!r.refusalLead.isEmpty()) {
      EXPECT_EQ(refusal[0], r.refusalLead);
    }
    EXPECT_EQ(refusal.back(), r.passStep);
    form->edtCross->SetValue(0.5);
    // An entry of the machining page is named by its caption too.
    form->edtDwell->SetValue(-1);
    form->btnGenerateClick();
    ASSERT_EQ(p.log.errors.size(), 2u);
    EXPECT_EQ(p.log.errors[1].text.split(QLatin1Char('\n')).front(), r.dwellLead);
    p.log.errors.pop_back();
    form->edtDwell->SetValue(0);
    // A write that fails: the folder is missing.
    p.log.savePath = QString::fromStdString((p.dir / "missing" / "a.nc").string());
    form->btnGenerateClick();
    ASSERT_EQ(p.log.errors.size(), 2u);
    EXPECT_TRUE(p.log.errors[1].text.startsWith(
        r.writeLead.isEmpty() ? r.writeReason : r.writeLead + QLatin1Char('\n') + r.writeReason))
        << p.log.errors[1].text.toStdString();
    // A program written, with its progress dialog shown from the first line.
    QString working, cancel;
    form->GenerateProgress = {0, 1, [&](QProgressDialog& d) {
                                working = d.labelText();
                                if (auto* b = d.findChild<QPushButton*>()) cancel = b->text();
                              }};
    p.log.savePath = QString::fromStdString((p.dir / "a.nc").string());
    form->btnGenerateClick();
    ASSERT_EQ(p.log.messages.size(), 1u);
    EXPECT_EQ(p.log.messages[0].title, QStringLiteral("Skimplane"));
    EXPECT_EQ(p.log.messages[0].text, r.success);
    EXPECT_EQ(working, r.working);
    EXPECT_EQ(cancel, r.cancel);
    form.reset();
  }
}

TEST(WindowLanguage, ThePreviewWindowFollowsThePack) {
  const struct {
    const char* pack;  // nullptr: none
    QString title;
    QString firstFigure;  // the start of the figures' text
  } rows[] = {
      {nullptr, QString::fromUtf8("预览"), QString::fromUtf8("程序行数：")},
      {"packs\\English.lng", QStringLiteral("Preview"), QStringLiteral("Lines: ")},
      {"packs\\Chinese-Traditional.lng", QString::fromUtf8("預覽"), QString::fromUtf8("程式行數：")},
  };
  for (const auto& r : rows) {
    TProgram p;
    auto form = p.StartInPack(r.pack);
    ASSERT_TRUE(p.log.errors.empty());
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("btnPreview")), Qt::LeftButton);
    auto* preview = form->findChild<QWidget*>(QStringLiteral("frmPreview"));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->windowTitle(), r.title);
    const QString figures = preview->findChild<QLabel*>(QStringLiteral("lblFigures"))->text();
    EXPECT_TRUE(figures.startsWith(r.firstFigure)) << figures.toStdString();
    form.reset();
  }
}
