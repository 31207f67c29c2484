#pragma once
// The preview's drawing as a widget: the wheel zooms about the pointer, a drag pans.

#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <optional>

#include "app/PreviewPainter.h"

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
