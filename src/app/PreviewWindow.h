#pragma once
// The preview window: the drawing of the job on screen (the same scene the command line writes as SVG), a
// layer selector when there are several layers, the rapid rate for the cycle time, the figures and where
// the cutter centre goes. The wheel zooms about the pointer, a drag pans, F or Home fits the drawing to the
// window again, Esc closes it. While it is open it follows the main window's entries.
// InstallPreview() adds the "预览" button to the main window that opens it.

#include <QPointF>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

#include "app/PreviewCaptions.h"
#include "preview/ToolpathPreview.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPainter;
class QProgressDialog;
class QTimer;
class TfrmSkimplane;

// The figures as the window shows them, one "标签：值" line each (in a pack's words when it gives them).
[[nodiscard]] QString PreviewFigureText(const TFigureValues& values, const TPreviewCaptions& captions = {});

// Where the cutter centre goes, one "标签：值" line per axis (in a pack's words when it gives them).
[[nodiscard]] QString PreviewExtentText(const TFigureValues& values, const TPreviewCaptions& captions = {});

// The scene's millimetres on a painter's pixels: the scene's bounds fitted into a rectangle, centred, face
// upright (Y upwards).
struct TSceneMapping {
  TRectMM Bounds;
  double Scale = 1, Left = 0, Top = 0;
  [[nodiscard]] QPointF At(double x, double y) const;
  [[nodiscard]] QPointF Scene(QPointF pixel) const;  // millimetres, as x and y
};
[[nodiscard]] TSceneMapping FitScene(const TPreviewScene& scene, const QRectF& target);

// Paints the scene into `target`, face upright (Y upwards), keeping its proportions. Paths that fall on
// the very pixels of the path drawn before them are not drawn again, so that a program of millions of
// passes a hair apart paints in the time of the pixels it covers.
void PaintPreviewScene(QPainter& painter, const TPreviewScene& scene, const QRectF& target);

// The drawing. Its view is a zoom about a point and a shift on top of the fitted drawing: zoom 1 and no
// shift show the whole drawing.
class TPreviewCanvas final : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewCanvas(QWidget* parent = nullptr);
  // The view stays as it is: a new scene of the same job shows the same place.
  void SetScene(const TPreviewScene* scene);

  [[nodiscard]] double Zoom() const { return zoom_; }
  [[nodiscard]] QPointF Shift() const { return shift_; }
  // The mapping the canvas paints with now.
  [[nodiscard]] TSceneMapping Mapping() const;
  void FitToWindow();
  // Zooms by `factor` keeping the point of the drawing under `pixel` where it is.
  void ZoomAbout(QPointF pixel, double factor);
  void PanBy(QPointF pixels);

  static constexpr double kMinZoom = 0.25, kMaxZoom = 10000;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  [[nodiscard]] QRectF FitTarget() const;

  const TPreviewScene* scene_ = nullptr;
  double zoom_ = 1;
  QPointF shift_;
  std::optional<QPointF> dragFrom_;
};

// When the preview's work shows a progress dialog with Cancel, and how often it looks at it.
struct TPreviewProgressOptions {
  // Programs estimated above this many lines get the dialog: the window reads back, sweeps and lays out
  // roughly 0.8 million lines a second here (preview_window_bench), so this is under half a second of work.
  double MinLines = 300'000;
  // The dialog is updated (and Cancel looked at) once per this many lines.
  std::uint64_t StepLines = 1 << 15;
  // Called at each update after the dialog has its value: lets tests press Cancel.
  std::function<void(QProgressDialog&)> OnStep;
};

// The options every preview window uses (tests change them).
[[nodiscard]] TPreviewProgressOptions& PreviewProgressOptions();

class TPreviewWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewWindow(QWidget* parent = nullptr, TPreviewCaptions captions = {});
  // Builds the job's program and shows it, with a progress dialog when it is large; raises EDVError for a
  // job Generate would refuse or one too large to draw. Returns false when the user cancelled (or a job is
  // being built already). Refused or cancelled, the window keeps what it showed before.
  bool SetJob(const TJobEntries& entries);

  // Where the entries come from while the window follows them: a change (Follow) reads them again once
  // the changes have paused for FollowDelayMs. A job refused then is told in the window, not in a box.
  void FollowEntries(std::function<TJobEntries()> readEntries);
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
  // The spiral's centre pass; InstallPreview makes it the main window's choice.
  QCheckBox* chkFinishCentre = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ShowLayer(int index);
  void UpdateFigures();
  void FollowNow();

  TPreviewCaptions captions_;
  TToolpathPreview preview_;
  TPreviewScene scene_;
  bool busy_ = false;
  QTimer* followTimer_ = nullptr;
  std::function<TJobEntries()> readEntries_;
};

// Adds the button btnPreview ("预览", left of btnGenerate on its line, same size) to the window; a click
// reads the entries and opens (or brings forward) the preview window, or shows why the job is refused.
void InstallPreview(TfrmSkimplane& form);
