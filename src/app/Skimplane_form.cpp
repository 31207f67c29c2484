#include "app/Skimplane_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTabBar>

#include <algorithm>
#include <cmath>

#include "app/AboutLabel.h"
#include "app/ErrorBox.h"
#include "app/GenerateProgress.h"
#include "app/Skin.h"
#include "dvTools/dvError.h"
#include "toolpath/JobFields.h"

namespace {

constexpr int kTagTranslatable = 9;
constexpr int kSpinWidth = 81;

constexpr std::string_view kPositionFileName = "Skimplane.reg";

const char* const kWindowCaption = "Skimplane v1.3 - Shop Floor Forum Special edition";

// Labels by page: a Tag of 9 lets a language pack re-caption them by name. A caption names the control
// beside it (its buddy; a group of radio buttons by its first): messages call an entry by its caption.
enum class TLabelLook { Plain, Hint, Letter };
struct TLabelRow {
  const char* page;
  const char* name;
  const char* caption;
  int left, top;
  int tag;
  TLabelLook look;
  const char* names = nullptr;
};
constexpr TLabelRow kLabels[] = {
    {"tabFace", "Label1", "长度：", 256, 84, kTagTranslatable, TLabelLook::Plain, "edtYPos"},
    {"tabFace", "Label39", "mm", 344, 108, 0, TLabelLook::Plain},
    {"tabFace", "Label2", "* Y轴方向，向前", 244, 132, kTagTranslatable, TLabelLook::Hint},
    {"tabFace", "Label3", "宽度：", 84, 236, kTagTranslatable, TLabelLook::Plain, "edtXPos"},
    {"tabFace", "Label49", "mm", 172, 260, 0, TLabelLook::Plain},
    {"tabFace", "Label4", "* X轴方向，向右", 68, 284, kTagTranslatable, TLabelLook::Hint},
    {"tabKnit", "Label5", "直径(R)：", 196, 36, kTagTranslatable, TLabelLook::Plain, "edtKnit"},
    {"tabKnit", "Label97", "mm", 360, 36, 0, TLabelLook::Plain},
    {"tabKnit", "Label7", "下刀(D)：", 196, 80, kTagTranslatable, TLabelLook::Plain, "edtZPos"},
    {"tabKnit", "Label88", "mm", 360, 80, 0, TLabelLook::Plain},
    {"tabKnit", "Label8", "抬刀(U)：", 196, 124, kTagTranslatable, TLabelLook::Plain, "edtZUp"},
    {"tabKnit", "Label229", "mm", 360, 124, 0, TLabelLook::Plain},
    {"tabKnit", "Label6", "重叠(C)：", 196, 256, kTagTranslatable, TLabelLook::Plain, "edtCross"},
    {"tabKnit", "Label98", "mm", 360, 256, 0, TLabelLook::Plain},
    {"tabKnit", "Label16", "R", 96, 204, 0, TLabelLook::Letter},
    {"tabKnit", "Label19", "D", 36, 156, 0, TLabelLook::Letter},
    {"tabKnit", "Label23", "C", 88, 300, 0, TLabelLook::Letter},
    {"tabOption", "Label10", "主轴(S)：", 20, 36, kTagTranslatable, TLabelLook::Plain, "edtSpeed"},
    {"tabOption", "Label14", "转", 176, 36, kTagTranslatable, TLabelLook::Plain},
    {"tabOption", "Label11", "给进(F)：", 232, 36, kTagTranslatable, TLabelLook::Plain, "edtFro"},
    {"tabOption", "Label129", "FRO", 380, 36, 0, TLabelLook::Plain},
    {"tabOption", "Label12", "作业方式：", 20, 76, kTagTranslatable, TLabelLook::Plain, "opnDelta"},
    {"tabOption", "Label9", "分层(L)：", 28, 252, kTagTranslatable, TLabelLook::Plain, "edtLayer"},
    {"tabOption", "Label13", "层", 184, 252, kTagTranslatable, TLabelLook::Plain},
    // The machining options: one column, captions at 20, units at 238, each 4 px below its entry's top.
    {"tabMachining", "Label31", "过切(O)：", 20, 36, kTagTranslatable, TLabelLook::Plain, "edtOvercut"},
    {"tabMachining", "Label32", "mm", 238, 36, 0, TLabelLook::Plain},
    {"tabMachining", "Label37", "步距(P)：", 20, 72, kTagTranslatable, TLabelLook::Plain, "edtStepover"},
    {"tabMachining", "Label38", "%", 238, 72, 0, TLabelLook::Plain},
    {"tabMachining", "Label33", "进刀：", 20, 108, kTagTranslatable, TLabelLook::Plain, "opnPlunge"},
    {"tabMachining", "Label34", "斜坡角(A)：", 20, 144, kTagTranslatable, TLabelLook::Plain, "edtRampAngle"},
    {"tabMachining", "Label35", "度", 238, 144, kTagTranslatable, TLabelLook::Plain},
    {"tabMachining", "Label36", "切削方向：", 20, 180, kTagTranslatable, TLabelLook::Plain, "opnBothWays"},
    {"tabMachining", "Label40", "精铣深度(E)：", 20, 216, kTagTranslatable, TLabelLook::Plain,
     "edtFinishDepth"},
    {"tabMachining", "Label41", "mm", 238, 216, 0, TLabelLook::Plain},
    {"tabMachining", "Label42", "精铣给进(G)：", 20, 252, kTagTranslatable, TLabelLook::Plain,
     "edtFinishFeed"},
    {"tabMachining", "Label43", "FRO", 238, 252, 0, TLabelLook::Plain},
    {"tabMachining", "Label44", "主轴延时(W)：", 20, 288, kTagTranslatable, TLabelLook::Plain, "edtDwell"},
    {"tabMachining", "Label45", "秒", 238, 288, kTagTranslatable, TLabelLook::Plain},
    {"tabAbout", "lblVersion", "Skimplane v1.3", 202, 48, 0, TLabelLook::Plain},
    {"tabAbout", "Label28", "Program by tarel.qo", 202, 72, 0, TLabelLook::Plain},
    {"tabAbout", "Label29", "Mail: tarel.qo@example.org", 202, 96, 0, TLabelLook::Plain},
    {"tabAbout", "Label30", "Last Update 2011-05-04", 202, 120, 0, TLabelLook::Plain},
    {"tabAbout", "lblLangPack", "LangPack: tarel.qo", 202, 144, 0, TLabelLook::Plain},
};

// Where each of the job's number fields sits; its kind, design value and steps come from the job's table.
// The tab order is not listed: it follows the places (LayoutTabOrder).
struct TSpinRow {
  const char* page;
  const char* name;
  int left, top;
};
constexpr TSpinRow kSpinEdits[] = {
    {"tabFace", "edtYPos", 256, 104},  {"tabFace", "edtXPos", 84, 256},  {"tabKnit", "edtKnit", 272, 32},
    {"tabKnit", "edtZPos", 272, 76},   {"tabKnit", "edtZUp", 272, 120},  {"tabKnit", "edtCross", 272, 252},
    {"tabOption", "edtSpeed", 88, 32}, {"tabOption", "edtFro", 292, 32}, {"tabOption", "edtLayer", 96, 248},
    {"tabMachining", "edtOvercut", 150, 32},     {"tabMachining", "edtStepover", 150, 68},
    {"tabMachining", "edtRampAngle", 150, 140},  {"tabMachining", "edtFinishDepth", 150, 212},
    {"tabMachining", "edtFinishFeed", 150, 248}, {"tabMachining", "edtDwell", 150, 284},
};

// Radio buttons form a group by their page, or by the choice of the job's table they stand for (the
// machining page holds two); the check box sits with them in the table.
enum class TChoiceKind { Radio, Check };
struct TChoiceRow {
  const char* page;
  const char* name;
  TChoiceKind kind;
  const char* caption;
  int left, top, width, height;
  bool checked;
};
constexpr TChoiceRow kChoices[] = {
    {"tabKnit", "opnZUpRel", TChoiceKind::Radio, "相对位置", 272, 156, 77, 17, true},
    {"tabKnit", "opnZUpAbs", TChoiceKind::Radio, "绝对位置", 272, 188, 81, 17, false},
    {"tabOption", "opnDelta", TChoiceKind::Radio, "螺旋清扫", 28, 208, 101, 17, true},
    {"tabOption", "opnXArrow", TChoiceKind::Radio, "横向清扫", 172, 208, 97, 17, false},
    {"tabOption", "opnYArrow", TChoiceKind::Radio, "纵向清扫", 316, 208, 97, 17, false},
    {"tabOption", "chkClearEnd", TChoiceKind::Check, "清除清扫后的可能的残留边缘", 224, 248, 197, 17, true},
    // 3 px below their row's top, so that their captions line up with the row's label.
    {"tabMachining", "opnPlunge", TChoiceKind::Radio, "直接下刀", 150, 107, 97, 17, true},
    {"tabMachining", "opnRamp", TChoiceKind::Radio, "斜坡下刀", 250, 107, 97, 17, false},
    {"tabMachining", "opnBothWays", TChoiceKind::Radio, "双向", 150, 179, 87, 17, true},
    {"tabMachining", "opnClimb", TChoiceKind::Radio, "顺铣", 240, 179, 77, 17, false},
    {"tabMachining", "opnConventional", TChoiceKind::Radio, "逆铣", 320, 179, 111, 17, false},
};

struct TImageRow {
  const char* page;
  const char* name;
  const char* resource;
  int left, top, width, height;
  bool transparent;
};
constexpr TImageRow kImages[] = {
    {"tabFace", "Image2", ":/skimplane/images/face.png", 44, 28, 247, 224, false},
    {"tabKnit", "Image3", ":/skimplane/images/cutter.png", 28, 32, 129, 194, true},
    {"tabKnit", "Image4", ":/skimplane/images/overlap.png", 16, 232, 139, 69, false},
    {"tabOption", "Image5", ":/skimplane/images/spiral.png", 32, 100, 96, 96, false},
    {"tabOption", "Image6", ":/skimplane/images/along-x.png", 172, 100, 96, 96, false},
    {"tabOption", "Image7", ":/skimplane/images/along-y.png", 316, 100, 96, 96, false},
    {"tabAbout", "Image1", ":/skimplane/images/about.png", 46, 32, 132, 130, false},
};

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QFont WindowFont(bool bold = false) {
  QFont f(WindowFontFamily());
  f.setPixelSize(13);
  f.setBold(bold);
  return f;
}

// Marks a control whose font is its own: the window's font (and a language pack's) never reaches it.
constexpr const char* kOwnFont = "OwnFont";

bool TakesWindowFont(const QWidget* w) {
  for (; w && !w->isWindow(); w = w->parentWidget())
    if (w->property(kOwnFont).toBool()) return false;
  return w != nullptr && w->objectName() == QLatin1String("frmSkimplane");
}

void SetTag(QObject* o, int tag) {
  o->setProperty("Tag", tag);
}

// Numbers the controls of a page that take the focus in the order they are laid out: row by row from the
// top, and left to right within a row. A control whose top lies above the bottom of the row's first
// control sits in that row (a check box beside a spin edit is a little lower and shorter).
void LayoutTabOrder(QWidget* page) {
  QList<QWidget*> controls;
  for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w->property("TabOrder").isValid()) controls << w;
  std::stable_sort(controls.begin(), controls.end(),
                   [](QWidget* a, QWidget* b) { return a->geometry().top() < b->geometry().top(); });
  QList<QWidget*> ordered;
  for (qsizetype first = 0; first < controls.size();) {
    qsizetype end = first + 1;
    while (end < controls.size() && controls[end]->geometry().top() <= controls[first]->geometry().bottom())
      ++end;
    QList<QWidget*> row = controls.mid(first, end - first);
    std::stable_sort(row.begin(), row.end(),
                     [](QWidget* a, QWidget* b) { return a->geometry().left() < b->geometry().left(); });
    ordered << row;
    first = end;
  }
  for (qsizetype i = 0; i < ordered.size(); ++i) ordered[i]->setProperty("TabOrder", static_cast<int>(i));
}

// A page's controls in their tab order.
QList<QWidget*> PageControls(const QWidget* page) {
  QList<QWidget*> controls;
  for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w->property("TabOrder").isValid()) controls << w;
  std::stable_sort(controls.begin(), controls.end(), [](QWidget* a, QWidget* b) {
    return a->property("TabOrder").toInt() < b->property("TabOrder").toInt();
  });
  return controls;
}

}  // namespace

TfrmSkimplane::TfrmSkimplane(TAppSeams seams, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      seams_(std::move(seams)) {
  GenerateProgress = GenerateProgressDefaults();
  InitResources();
  InstallFontSubstitutions();
  setObjectName(QStringLiteral("frmSkimplane"));
  setWindowTitle(U(kWindowCaption));
  setWindowIcon(QIcon(QStringLiteral(":/skimplane/images/icon.png")));
  setFont(WindowFont());
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ButtonFaceColor());
  setPalette(pal);
  setAutoFillBackground(true);
  // Nothing stretches: a larger window only shows more background.
  resize(463, 408);
  move(500, 214);
  BuildControls();
  FinishControls();
  // Where there is no system registry, the window's place is kept in a hive file beside the settings.
  DVWinPos1 = new TDVWinPos(this, std::filesystem::path(QFile::encodeName(SettingsFolder()).toStdString()) /
                                      std::string(kPositionFileName));
  DVWinPos1->setObjectName(QStringLiteral("DVWinPos1"));

  // The keyboard ways to close the window, as the frame's close box does.
  for (const QKeySequence& keys : {QKeySequence(Qt::ALT | Qt::Key_F4), QKeySequence(QKeySequence::Close)}) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &TfrmSkimplane::btnCloseClick);
  }
}

TfrmSkimplane::~TfrmSkimplane() {
  // The settings are stored while every control still holds its value; the components (and the
  // position keeper among them) go afterwards, with the QWidget.
  FormDestroy();
}

void TfrmSkimplane::BuildControls() {
  btnClose = new QPushButton(this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setGeometry(376, 372, 75, 25);
  btnGenerate = new QPushButton(this);
  btnGenerate->setObjectName(QStringLiteral("btnGenerate"));
  btnGenerate->setGeometry(280, 372, 75, 25);
  for (QPushButton* b : {btnClose, btnGenerate}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  connect(btnClose, &QPushButton::clicked, this, &TfrmSkimplane::btnCloseClick);
  connect(btnGenerate, &QPushButton::clicked, this, &TfrmSkimplane::btnGenerateClick);

  PageControl1 = new TPageControl(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setGeometry(8, 12, 445, 349);
  tabFace = PageControl1->AddPage(QStringLiteral("tabFace"), U("材质平面"));
  tabKnit = PageControl1->AddPage(QStringLiteral("tabKnit"), U("铣刀选项"));
  tabOption = PageControl1->AddPage(QStringLiteral("tabOption"), U("运动选项"));
  tabMachining = PageControl1->AddPage(QStringLiteral("tabMachining"), U("加工选项"));
  tabAbout = PageControl1->AddPage(QStringLiteral("tabAbout"), U("关于"));
  const auto page = [this](const char* name) { return findChild<TTabSheet*>(QLatin1String(name)); };

  btnClose->setProperty("TabOrder", 0);
  btnGenerate->setProperty("TabOrder", 1);
  PageControl1->setProperty("TabOrder", 2);

  for (const auto& r : kImages) {
    auto* image = new TImage(page(r.page));
    image->setObjectName(QLatin1String(r.name));
    image->setGeometry(r.left, r.top, r.width, r.height);
    image->SetPicture(QPixmap(QLatin1String(r.resource)));
    image->SetTransparent(r.transparent);
  }

  for (const auto& r : kLabels) {
    auto* label = new TLabel(QString(), page(r.page));
    label->setObjectName(QLatin1String(r.name));
    if (r.look != TLabelLook::Plain) {
      label->setFont(WindowFont(r.look == TLabelLook::Letter));
      label->setProperty(kOwnFont, true);
      QPalette p = label->palette();
      p.setColor(QPalette::WindowText,
                 r.look == TLabelLook::Hint ? QColor(128, 128, 128) : QColor(Qt::black));
      label->setPalette(p);
    }
    label->SetCaption(U(r.caption));
    label->move(r.left, r.top);
    SetTag(label, r.tag);
  }
  // The one opaque label: it fills its rectangle with the window's background colour.
  findChild<TLabel*>(QStringLiteral("Label13"))->SetOpaque(ButtonFaceColor());
  lblVersion = findChild<TLabel*>(QStringLiteral("lblVersion"));
  lblLangPack = findChild<TLabel*>(QStringLiteral("lblLangPack"));

  for (const auto& r : kSpinEdits) {
    const TJobField& field = *FieldByControl(r.name);
    auto* spin = new TSpinEdit(
        field.Kind == TFieldKind::fkFloat ? TSpinEdit::TValueType::vtFloat : TSpinEdit::TValueType::vtInteger,
        page(r.page));
    spin->setObjectName(QLatin1String(r.name));
    spin->SetIncrement(field.Step);
    spin->SetLargeIncrement(field.LargeStep);
    spin->SetValue(field.Default());
    spin->setGeometry(r.left, r.top, kSpinWidth, spin->sizeHint().height());
    spin->setProperty("TabOrder", 0);  // LayoutTabOrder numbers them
    SetTag(spin, 0);
    controls_[r.name] = spin;
  }

  for (const auto& r : kChoices) {
    QAbstractButton* button = nullptr;
    if (r.kind == TChoiceKind::Radio)
      button = new QRadioButton(U(r.caption), page(r.page));
    else
      button = new QCheckBox(U(r.caption), page(r.page));
    button->setObjectName(QLatin1String(r.name));
    button->setGeometry(r.left, r.top, r.width, r.height);
    button->setProperty("TabOrder", 0);  // LayoutTabOrder numbers them
    SetTag(button, 0);
    controls_[r.name] = button;
  }
  // A choice of the job with a radio button per word is a group of its own, whatever else its page holds.
  for (const TJobField& f : kJobFields) {
    if (f.Words.empty() || !f.Words[0].Control) continue;
    auto* group = new QButtonGroup(this);
    group->setObjectName(QLatin1String("grp") + QLatin1String(f.Key));
    for (const TChoiceWord& w : f.Words) group->addButton(static_cast<QAbstractButton*>(Control(w.Control)));
  }
  // Checked once in their groups: before, the page's other group would clear them.
  for (const auto& r : kChoices) static_cast<QAbstractButton*>(Control(r.name))->setChecked(r.checked);

  for (const auto& r : kLabels)
    if (r.names) findChild<TLabel*>(QLatin1String(r.name))->setBuddy(Control(r.names));

  auto* bevel = new TBevel(tabAbout);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setGeometry(20, 184, 397, 10);

  ZQLabel1 = new TZQLabel(tabAbout);
  SetupZQLabel1(*ZQLabel1);
  ShowTexts();

  const auto spin = [this](const char* name) { return static_cast<TSpinEdit*>(Control(name)); };
  const auto radio = [this](const char* name) { return static_cast<QRadioButton*>(Control(name)); };
  edtXPos = spin("edtXPos");
  edtYPos = spin("edtYPos");
  edtKnit = spin("edtKnit");
  edtZPos = spin("edtZPos");
  edtZUp = spin("edtZUp");
  edtCross = spin("edtCross");
  edtSpeed = spin("edtSpeed");
  edtFro = spin("edtFro");
  edtLayer = spin("edtLayer");
  opnZUpRel = radio("opnZUpRel");
  opnZUpAbs = radio("opnZUpAbs");
  opnDelta = radio("opnDelta");
  opnXArrow = radio("opnXArrow");
  opnYArrow = radio("opnYArrow");
  chkClearEnd = static_cast<QCheckBox*>(Control("chkClearEnd"));
  edtOvercut = spin("edtOvercut");
  edtStepover = spin("edtStepover");
  edtRampAngle = spin("edtRampAngle");
  edtFinishDepth = spin("edtFinishDepth");
  edtFinishFeed = spin("edtFinishFeed");
  edtDwell = spin("edtDwell");
  opnPlunge = radio("opnPlunge");
  opnRamp = radio("opnRamp");
  opnBothWays = radio("opnBothWays");
  opnClimb = radio("opnClimb");
  opnConventional = radio("opnConventional");
  LinkMachiningControls();

  const QList<QWidget*> untagged = {btnClose,  btnGenerate,  PageControl1, tabFace,  tabKnit,
                                    tabOption, tabMachining, tabAbout,     ZQLabel1, bevel};
  for (QWidget* w : untagged) SetTag(w, 0);
  for (TImage* image : findChildren<TImage*>()) SetTag(image, 0);
}

void TfrmSkimplane::LinkMachiningControls() {
  // The step-over shows the overlap and the diameter as a percent; typing it sets the overlap. While one
  // side is being set from the other, the other does not answer back (which would rewrite the text
  // being typed with its rounding).
  const TJobField& stepover = *FieldByControl("edtStepover");
  edtStepover->SetShownDecimals(2);  // 91.67, not 91.6666666666667
  const auto cutter = [this] {
    TJobEntries e;
    e.Knit = edtKnit->Value();
    e.Cross = edtCross->Value();
    return e;
  };
  const auto showStepover = [this, &stepover, cutter] {
    if (linking_) return;
    const double percent = stepover.Get(cutter());
    if (!std::isfinite(percent)) return;  // a diameter of zero: the refusal will say so
    linking_ = true;
    edtStepover->SetValue(percent);
    linking_ = false;
  };
  connect(edtCross, &TSpinEdit::ValueChanged, this, showStepover);
  connect(edtKnit, &TSpinEdit::ValueChanged, this, showStepover);
  connect(edtStepover, &TSpinEdit::ValueChanged, this, [this, &stepover, cutter](double percent) {
    if (linking_) return;
    TJobEntries e = cutter();
    stepover.Set(e, percent);
    linking_ = true;
    edtCross->SetValue(e.Cross);
    linking_ = false;
  });
  // An entry that the job does not use now is disabled; it keeps its value, and the file stores it.
  const auto showStates = [this] {
    edtRampAngle->setEnabled(opnRamp->isChecked());
    edtFinishFeed->setEnabled(edtFinishDepth->Value() > 0);
  };
  connect(opnRamp, &QAbstractButton::toggled, this, showStates);
  connect(edtFinishDepth, &TSpinEdit::ValueChanged, this, showStates);
  showStates();
}

void TfrmSkimplane::BuildTabOrder() {
  // Qt's own chain follows the same order, so a click-to-focus and the keyboard agree; the wrap from a
  // page's last control back to Close is focusNextPrevChild's.
  for (int i = 0; i < PageControl1->PageCount(); ++i) LayoutTabOrder(PageControl1->Page(i));
  QList<QWidget*> chain = {btnClose, btnGenerate};
  if (auto* preview = findChild<QWidget*>(QStringLiteral("btnPreview"))) chain << preview;
  chain << PageControl1->TabBar();
  for (int i = 0; i < PageControl1->PageCount(); ++i) chain << PageControls(PageControl1->Page(i));
  for (qsizetype i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void TfrmSkimplane::FinishControls() {
  BuildTabOrder();
  SignalEntryChanges();
  ShareWindowFont();
}

void TfrmSkimplane::SignalEntryChanges() {
  // Once per control, also when controls installed later call for it again.
  for (QWidget* control : findChildren<QWidget*>()) {
    if (auto* spin = qobject_cast<TSpinEdit*>(control))
      connect(spin, &TSpinEdit::ValueChanged, this, &TfrmSkimplane::EntriesChanged, Qt::UniqueConnection);
    else if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
      connect(button, &QAbstractButton::toggled, this, &TfrmSkimplane::EntriesChanged, Qt::UniqueConnection);
    else if (auto* box = qobject_cast<QComboBox*>(control))
      connect(box, &QComboBox::currentIndexChanged, this, &TfrmSkimplane::EntriesChanged, Qt::UniqueConnection);
  }
}

QList<QWidget*> TfrmSkimplane::TabStops() const {
  QList<QWidget*> stops = {btnClose, btnGenerate};
  if (auto* preview = findChild<QWidget*>(QStringLiteral("btnPreview"))) stops << preview;
  stops << PageControl1->TabBar();
  if (TTabSheet* page = PageControl1->ActivePage()) stops << PageControls(page);
  // Of a group of radio buttons only the selected one is a stop; the arrow keys move within the group.
  stops.removeIf([](QWidget* w) {
    auto* radio = qobject_cast<QRadioButton*>(w);
    return (radio && !radio->isChecked()) || !w->isEnabled() || !w->isVisible();
  });
  return stops;
}

QWidget* TfrmSkimplane::FocusTarget(QWidget* control) const {
  if (control->isEnabled() || !qobject_cast<TTabSheet*>(control->parentWidget())) return control;
  // A closed entry (the ramp angle while plunging) cannot take the focus: the choice before it that
  // opens it takes it instead, the checked button of a group.
  const QList<QWidget*> controls = PageControls(control->parentWidget());
  for (qsizetype i = controls.indexOf(control) - 1; i >= 0; --i) {
    auto* radio = qobject_cast<QRadioButton*>(controls[i]);
    if (controls[i]->isEnabled() && (!radio || radio->isChecked())) return controls[i];
  }
  return control;
}

bool TfrmSkimplane::focusNextPrevChild(bool next) {
  const QList<QWidget*> stops = TabStops();
  if (stops.isEmpty()) return QWidget::focusNextPrevChild(next);
  // The focus may sit inside a control (a spin edit's text field): count it as that control.
  qsizetype at = -1;
  for (QWidget* w = QApplication::focusWidget(); w && w != this && at < 0; w = w->parentWidget())
    at = stops.indexOf(w);
  const qsizetype n = stops.size();
  const qsizetype to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
  stops[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void TfrmSkimplane::ShareWindowFont() {
  // Under the skin's style sheet a control inside a frame (the pages' stack is one) resolves its font
  // when it is polished and stops following the window's, so a pack's font would change nothing visible.
  // Each control that takes the window's font is therefore given it outright, now and on every change.
  const QFont windowFont = font();
  for (QWidget* w : findChildren<QWidget*>())
    if (TakesWindowFont(w)) w->setFont(windowFont);
  // A spin edit keeps the standard height of its font.
  for (TSpinEdit* spin : findChildren<TSpinEdit*>()) spin->resize(spin->width(), spin->sizeHint().height());
}

void TfrmSkimplane::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) ShareWindowFont();
}

QString TfrmSkimplane::ExecutableFolder() const {
  const QString exe = seams_.ExecutablePath ? seams_.ExecutablePath() : QString();
  QString folder = QFileInfo(exe).absolutePath();
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString TfrmSkimplane::SettingsFolder() const {
  QString folder = seams_.SettingsFolder ? seams_.SettingsFolder() : QString();
  if (folder.isEmpty()) return ExecutableFolder();
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString TfrmSkimplane::ApplicationTitle() const {
  return ApplicationTitleFromPath(seams_.ExecutablePath ? seams_.ExecutablePath() : QString());
}

void TfrmSkimplane::ShowErrorBox(const QString& message) {
  if (seams_.ShowError)
    seams_.ShowError(this, ApplicationTitle(), ErrorBoxText(message, Texts.Text("MsgFullStop")));
}

void TfrmSkimplane::ShowErrorBox(const char* leadKey, const QString& message) {
  const QString lead = Texts.Text(leadKey);
  ShowErrorBox(lead.isEmpty() ? message : lead + QLatin1Char('\n') + message);
}

void TfrmSkimplane::RunHandler(const std::function<void()>& body, const char* leadKey) {
  try {
    body();
  } catch (const std::exception& e) {
    const QString message = MessageText(e);
    if (leadKey)
      ShowErrorBox(leadKey, message);
    else
      ShowErrorBox(message);
  }
}

void TfrmSkimplane::ShowTexts() {
  btnGenerate->setText(Texts.Text("Generate"));
  btnClose->setText(Texts.Text("Close"));
  const QStringList about = Texts.Text("AboutText").split(QLatin1Char('|'));
  ZQLabel1->SetLines(about);
  // The ruled label paints its rows itself; a screen reader reads them from its name.
  ZQLabel1->setAccessibleName(
      QStringList(about).filter(QRegularExpression(QStringLiteral("\\S"))).join(QLatin1Char(' ')));
}

void TfrmSkimplane::FormCreate() {
  RunHandler(
      [this] {
        PageControl1->SetActivePageIndex(0);
        // The About text takes the skin's content colour instead of its page's.
        ZQLabel1->setColor(ContentColor());
        if (seams_.LoadSettings) seams_.LoadSettings(*this);
      },
      "MsgSettingsNotRead");
}

void TfrmSkimplane::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  RunHandler(
      [this] {
        if (seams_.SaveSettings) seams_.SaveSettings(*this);
      },
      "MsgSettingsNotSaved");
}

void TfrmSkimplane::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit Closed();
}

void TfrmSkimplane::btnCloseClick() {
  close();
}
