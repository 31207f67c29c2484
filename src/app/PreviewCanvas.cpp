#include "app/PreviewCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

TPreviewCanvas::TPreviewCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Canvas"));
  setMinimumSize(420, 420);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Takes the keys (F, Home, Esc) once clicked; the window handles them.
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::OpenHandCursor);
}

void TPreviewCanvas::SetScene(const TPreviewScene* scene) {
  scene_ = scene;
  update();
}

QRectF TPreviewCanvas::FitTarget() const {
  return QRectF(rect()).adjusted(10, 10, -10, -10);
}

TSceneMapping TPreviewCanvas::Mapping() const {
  // The fitted drawing scaled by the zoom about the canvas's corner, then shifted.
  const QRectF fit = FitTarget();
  const QRectF target(fit.topLeft() * zoom_ + shift_, fit.size() * zoom_);
  return scene_ ? FitScene(*scene_, target) : FitScene(TPreviewScene{}, target);
}

void TPreviewCanvas::FitToWindow() {
  zoom_ = 1;
  shift_ = {};
  update();
}

void TPreviewCanvas::ZoomAbout(QPointF pixel, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const double zoom = std::clamp(zoom_ * factor, kMinZoom, kMaxZoom);
  // The point of the fitted drawing under the pixel stays under it.
  const QPointF fitted = (pixel - shift_) / zoom_;
  shift_ = pixel - fitted * zoom;
  zoom_ = zoom;
  update();
}

void TPreviewCanvas::PanBy(QPointF pixels) {
  shift_ += pixels;
  update();
}

void TPreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (scene_) {
    const QRectF fit = FitTarget();
    PaintPreviewScene(painter, *scene_, QRectF(fit.topLeft() * zoom_ + shift_, fit.size() * zoom_));
  }
}

void TPreviewCanvas::wheelEvent(QWheelEvent* event) {
  // One step of a wheel (120) zooms by a fifth or so; a touchpad's finer steps by as much in all.
  const int steps = event->angleDelta().y();
  if (steps == 0) {
    event->ignore();
    return;
  }
  ZoomAbout(event->position(), std::pow(2.0, steps / 480.0));
  event->accept();
}

void TPreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void TPreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (!dragFrom_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  PanBy(event->position() - *dragFrom_);
  dragFrom_ = event->position();
  event->accept();
}

void TPreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)) {
    PanBy(event->position() - *dragFrom_);
    dragFrom_.reset();
    setCursor(Qt::OpenHandCursor);
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}
