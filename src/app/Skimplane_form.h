#pragma once
// The main window: pages of entries for the facing job (the face, the cutter, the motion, the machining
// options), the About page, Generate and Close.
//
// Life of the window: the constructor builds every page and control with its design value; the owner
// then lets the position keeper restore the window's place, calls FormCreate(), shows the window and runs
// the event loop. The destructor runs FormDestroy() and then destroys the components. Each handler
// catches errors at its edge and shows them in the error box; the program then goes on.

#include <QWidget>

#include <exception>
#include <functional>
#include <map>
#include <string>

#include "app/AppSeams.h"
#include "app/PreviewCaptions.h"
#include "app/ProgressDialog.h"
#include "app/SpinEdit.h"
#include "app/Widgets.h"
#include "app/WindowTexts.h"
#include "dvWidgets/dvLabel.h"
#include "dvWidgets/dvWinPos.h"
#include "toolpath/FacingJob.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class EJobRefused;
class TCheckedJob;
struct TJobField;
struct TJobEntries;

class TfrmSkimplane : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmSkimplane(TAppSeams seams, QWidget* parent = nullptr);
  ~TfrmSkimplane() override;

  // ---- handlers ----
  // Page 0 active, the About text's background from the skin, then the settings (and language pack).
  void FormCreate();
  // Stores the settings. Runs once; the destructor calls it if the owner has not.
  void FormDestroy();
  void btnCloseClick();
  // Asks for a file and writes the program for the values on screen.
  void btnGenerateClick();

  // ---- what the other modules use ----
  // The job exactly as the controls hold it now, each control read once.
  [[nodiscard]] TJobEntries ReadJobEntries() const;
  // Puts a job's entries into the controls (the settings file's, at start).
  void SetJobEntries(const TJobEntries& entries);
  // The job as the controls hold it, checked; a refusal first takes the user to the entry it is about.
  [[nodiscard]] TCheckedJob CheckEntries();
  // The spiral's opt-in centre pass: chosen in the preview window, kept in Skimplane.ini.
  bool FinishCentre = false;
  // Builds and writes the program of a job made of the window's values to `path`, with progress for a
  // large one (raises EDVError on a write failure, TGenerationCancelled on Cancel).
  void GenerateCode(const TCheckedJob& job, const QString& path);
  [[nodiscard]] const TAppSeams& Seams() const { return seams_; }
  // The executable's folder with its trailing separator.
  [[nodiscard]] QString ExecutableFolder() const;
  // The folder of Skimplane.ini and Skimplane.reg (the seam's, else the executable's), trailing separator.
  [[nodiscard]] QString SettingsFolder() const;
  [[nodiscard]] QString ApplicationTitle() const;
  // Tab order, entry signals and the window's font for every control, also those installed after the
  // constructor (the start-up code installs the preview and the controller box, then calls this).
  void FinishControls();
  // Runs `body`; an error that leaves it is shown in the error box, below the lead of `leadKey` (a key of
  // Texts) when one is given.
  void RunHandler(const std::function<void()>& body, const char* leadKey = nullptr);
  void ShowErrorBox(const QString& message);
  // The error box: the lead of `leadKey` on its own line, `message` below it.
  void ShowErrorBox(const char* leadKey, const QString& message);
  // The error box for a refused job: the entries it is about by their captions, and the reason.
  void ShowRefusal(const EJobRefused& refusal);
  // The caption that names an entry of the job on the window (without its colon), else the field's noun.
  [[nodiscard]] QString EntryCaption(const TJobField& field) const;
  // An error's message in the window's language: its words by key (Texts), its entries by their captions.
  [[nodiscard]] QString MessageText(const std::exception& error) const;
  // Puts Texts into the buttons and the About text (again after a language pack has changed them).
  void ShowTexts();

  // ---- the components, by their names ----
  TPageControl* PageControl1 = nullptr;
  TTabSheet* tabFace = nullptr;
  TTabSheet* tabKnit = nullptr;
  TTabSheet* tabOption = nullptr;
  TTabSheet* tabMachining = nullptr;
  TTabSheet* tabAbout = nullptr;
  QPushButton* btnClose = nullptr;
  QPushButton* btnGenerate = nullptr;
  TSpinEdit* edtXPos = nullptr;
  TSpinEdit* edtYPos = nullptr;
  TSpinEdit* edtKnit = nullptr;
  TSpinEdit* edtZPos = nullptr;
  TSpinEdit* edtZUp = nullptr;
  TSpinEdit* edtCross = nullptr;
  TSpinEdit* edtSpeed = nullptr;
  TSpinEdit* edtFro = nullptr;
  TSpinEdit* edtLayer = nullptr;
  QRadioButton* opnZUpRel = nullptr;
  QRadioButton* opnZUpAbs = nullptr;
  QRadioButton* opnDelta = nullptr;
  QRadioButton* opnXArrow = nullptr;
  QRadioButton* opnYArrow = nullptr;
  QCheckBox* chkClearEnd = nullptr;
  // The machining options' page.
  TSpinEdit* edtOvercut = nullptr;
  TSpinEdit* edtStepover = nullptr;  // the overlap in percent of the diameter: no field of its own
  TSpinEdit* edtRampAngle = nullptr;
  TSpinEdit* edtFinishDepth = nullptr;
  TSpinEdit* edtFinishFeed = nullptr;
  TSpinEdit* edtDwell = nullptr;
  QRadioButton* opnPlunge = nullptr;
  QRadioButton* opnRamp = nullptr;
  QRadioButton* opnBothWays = nullptr;
  QRadioButton* opnClimb = nullptr;
  QRadioButton* opnConventional = nullptr;
  QComboBox* cmbController = nullptr;  // the dialect and coolant (ControllerChoice.h)
  TLabel* lblVersion = nullptr;
  TLabel* lblLangPack = nullptr;
  TZQLabel* ZQLabel1 = nullptr;
  // Keeps the window's left and top edge between runs (Skimplane.reg beside the executable here). Its
  // owner calls DVWinPos1->Loaded() right after building the window, before FormCreate(); it saves when
  // the window's components are destroyed, after FormDestroy().
  TDVWinPos* DVWinPos1 = nullptr;
  // The preview window's texts; a language pack may give its own.
  TPreviewCaptions PreviewCaptions;
  // The main window's own texts beyond the captions: buttons, About text, boxes, progress.
  TWindowTexts Texts;
  // When Generate and a new preview window show their progress dialogs (GenerateProgressDefaults,
  // PreviewProgressDefaults unless changed).
  TProgressOptions GenerateProgress;
  TProgressOptions PreviewProgress;

 signals:
  // The window was closed (by Close, its frame or the keyboard): the program ends.
  void Closed();
  // An entry of the job changed: a value, a choice, a box ticked or cleared.
  void EntriesChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Tab and Shift+Tab go round the window's own order: Close, Generate, Preview, the page tabs, then the
  // controls of the page on show, and from its last control back to Close.
  bool focusNextPrevChild(bool next) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  void BuildTabOrder();
  // The step-over follows the overlap and the diameter and sets the overlap; the ramp angle and the
  // finishing feed are enabled only while the job uses them.
  void LinkMachiningControls();
  // Every control that holds an entry of the job tells EntriesChanged when it changes.
  void SignalEntryChanges();
  // Gives the window's font to every control that takes it (all but the few with fonts of their own).
  void ShareWindowFont();
  // The control to focus for `control`: itself, or while it is disabled the choice before it on its page
  // that enables it.
  [[nodiscard]] QWidget* FocusTarget(QWidget* control) const;
  // The controls Tab visits now, in order.
  [[nodiscard]] QList<QWidget*> TabStops() const;

  // The job's controls as they were made, by their component names.
  [[nodiscard]] QWidget* Control(const char* name) const { return controls_.at(name); }
  // A control by its name: the job's own, or one installed on the window later (the controller box).
  [[nodiscard]] QWidget* ControlNamed(const char* name) const;

  TAppSeams seams_;
  bool destroyed_ = false;
  bool linking_ = false;  // the step-over and the overlap are being set from each other
  std::map<std::string, QWidget*> controls_;
};
