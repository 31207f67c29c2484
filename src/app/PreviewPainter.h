#pragma once
// The preview's drawing on any QPainter: the scene's millimetres fitted onto pixels, and the paths, swept
// band and uncut corners painted in the drawing's colours (the same scene the command line writes as SVG).

#include <QPointF>
#include <QRectF>

#include "preview/ToolpathPreview.h"

class QPainter;

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
