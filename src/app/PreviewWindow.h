#pragma once
// The preview window: the drawing of the job on screen (the same scene the command line writes as SVG), a
// layer selector when there are several layers, the rapid rate for the cycle time, the figures and where
// the cutter centre goes. The wheel zooms about the pointer, a drag pans, F or Home fits the drawing to the
// window again, Esc closes it. While it is open it follows the main window's entries.
// InstallPreview() adds the "预览" button to the main window that opens it.

#include <QString>
#include <QWidget>

#include <functional>

#include "app/PreviewCanvas.h"
#include "app/PreviewCaptions.h"
#include "app/ProgressDialog.h"
#include "preview/ToolpathPreview.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QScrollArea;
class QTimer;
class TfrmSkimplane;

// Programs estimated above 300,000 lines get the dialog: the window reads back, sweeps and lays out roughly
// 0.8 million lines a second here (preview_window_bench), so this is under half a second of work. The
// dialog is looked at every 32768 lines.
[[nodiscard]] TProgressOptions PreviewProgressDefaults();

class TPreviewWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewWindow(QWidget* parent = nullptr, TPreviewCaptions captions = {},
                          TProgressOptions progress = PreviewProgressDefaults());
  // Builds the job's program and shows it, with a progress dialog when it is large; raises EDVError for a
  // job Generate would refuse or one too large to draw. Returns false when the user cancelled (or a job is
  // being built already). Refused or cancelled, the window keeps what it showed before.
  bool SetJob(const TJobEntries& entries);

  // Where the entries come from while the window follows them: a change (Follow) reads them again once
  // the changes have paused for FollowDelayMs. A job refused then is told in the window, not in a box.
  // `describe` says why a job cannot be drawn, in the window's language.
  void FollowEntries(std::function<TJobEntries()> readEntries,
                     std::function<QString(const std::exception&)> describe = {});
  void Follow();
  int FollowDelayMs = 300;

  [[nodiscard]] const TToolpathPreview& Preview() const { return preview_; }
  [[nodiscard]] const TPreviewScene& Scene() const { return scene_; }
  // Whether a job is being built now (its progress dialog may be open), or a change waits to be followed.
  [[nodiscard]] bool Busy() const { return busy_; }
  [[nodiscard]] bool FollowPending() const;

  TPreviewCanvas* Canvas = nullptr;
  QComboBox* cmbLayer = nullptr;
  QLabel* lblLayer = nullptr;
  QDoubleSpinBox* edtRapidRate = nullptr;
  QLabel* lblFigures = nullptr;
  QLabel* lblExtents = nullptr;
  // Why the drawing is not of the entries on screen (a refused job, a cancelled one); empty otherwise.
  QLabel* lblStatus = nullptr;
  // The colours drawn and what each stands for; the machining options' entries only when they are drawn.
  QLabel* lblLegend = nullptr;
  // The spiral's centre pass; InstallPreview makes it the main window's choice.
  QCheckBox* chkFinishCentre = nullptr;
  // The texts beside the drawing: as wide as the widest of them, scrolled when the window is too low for
  // them all, so that none is ever laid over another, whatever a message or a pack says.
  QScrollArea* Side = nullptr;
  // When a job's work shows its progress dialog.
  TProgressOptions Progress;

  // Says in red why the drawing is not of the entries on screen; an empty text takes the line away.
  void ShowStatus(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowLayer(int index);
  void UpdateFigures();
  void UpdateLegend();
  // Gives back the memory of the moves and the drawing (the button builds the job afresh when reopened).
  void ReleaseJob();
  void FollowNow();

  TPreviewCaptions captions_;
  TToolpathPreview preview_;
  TPreviewScene scene_;
  bool busy_ = false;
  QTimer* followTimer_ = nullptr;
  std::function<TJobEntries()> readEntries_;
  std::function<QString(const std::exception&)> describe_;
};

// Adds the button btnPreview ("预览", left of btnGenerate on its line, same size) to the window; a click
// reads the entries and opens (or brings forward) the preview window, or shows why the job is refused.
void InstallPreview(TfrmSkimplane& form);
