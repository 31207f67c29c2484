#pragma once
// The preview window: the drawing of the job on screen (the same scene the command line writes as SVG), a
// layer selector when there are several layers, the rapid rate for the cycle time, and the figures.
// InstallPreview() adds the "预览" button to the main window that opens it.

#include <QString>
#include <QWidget>

#include <optional>

#include "app/PreviewCaptions.h"
#include "preview/ToolpathPreview.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPainter;
class TfrmSkimplane;

// The figures as the window shows them, one "标签：值" line each (in a pack's words when it gives them).
[[nodiscard]] QString PreviewFigureText(const TFigureValues& values, const TPreviewCaptions& captions = {});

// Paints the scene into `target`, face upright (Y upwards), keeping its proportions.
void PaintPreviewScene(QPainter& painter, const TPreviewScene& scene, const QRectF& target);

class TPreviewCanvas final : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewCanvas(QWidget* parent = nullptr);
  void SetScene(const TPreviewScene* scene);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const TPreviewScene* scene_ = nullptr;
};

class TPreviewWindow final : public QWidget {
  Q_OBJECT
 public:
  explicit TPreviewWindow(QWidget* parent = nullptr, TPreviewCaptions captions = {});
  // Builds the job's program and shows it; raises EDVError for a job Generate would refuse or one too
  // large to draw (the window then keeps what it showed before).
  void SetJob(const TJobEntries& entries);

  [[nodiscard]] const TToolpathPreview& Preview() const { return preview_; }
  [[nodiscard]] const TPreviewScene& Scene() const { return scene_; }

  TPreviewCanvas* Canvas = nullptr;
  QComboBox* cmbLayer = nullptr;
  QLabel* lblLayer = nullptr;
  QDoubleSpinBox* edtRapidRate = nullptr;
  QLabel* lblFigures = nullptr;
  // The spiral's centre pass; InstallPreview makes it the main window's choice.
  QCheckBox* chkFinishCentre = nullptr;

 private:
  void ShowLayer(int index);
  void UpdateFigures();

  TPreviewCaptions captions_;
  TToolpathPreview preview_;
  TPreviewScene scene_;
};

// Adds the button btnPreview ("预览", left of btnGenerate on its line, same size) to the window; a click
// reads the entries and opens (or brings forward) the preview window, or shows why the job is refused.
void InstallPreview(TfrmSkimplane& form);
