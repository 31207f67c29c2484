#include "app/PreviewPainter.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "preview/PreviewStyle.h"

namespace {

QColor Rgb(std::uint32_t rgb, double opacity = 1) {
  QColor c((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  c.setAlphaF(static_cast<float>(opacity));
  return c;
}

// Remembers the pixels of the last few lines drawn: a line whose ends fall on the pixels of one of them
// (either way round), or on a single pixel at one of their ends, would add nothing to the picture.
class TDrawnLines {
 public:
  bool Covered(QPointF a, QPointF b) {
    const TEnds e{Pixel(a), Pixel(b)};
    for (const TEnds& d : drawn_) {
      if ((e.A == d.A && e.B == d.B) || (e.A == d.B && e.B == d.A)) return true;
      if (e.A == e.B && (e.A == d.A || e.A == d.B)) return true;
    }
    drawn_[next_] = e;
    next_ = (next_ + 1) % drawn_.size();
    return false;
  }

 private:
  struct TPixel {
    long long X = 0, Y = 0;
    bool operator==(const TPixel&) const = default;
  };
  struct TEnds {
    TPixel A{-1LL << 62, 0}, B{-1LL << 62, 0};
  };
  static TPixel Pixel(QPointF p) {
    constexpr double kFar = 1e15;
    return {std::llround(std::clamp(p.x(), -kFar, kFar)), std::llround(std::clamp(p.y(), -kFar, kFar))};
  }
  std::array<TEnds, 4> drawn_{};
  std::size_t next_ = 0;
};

}  // namespace

QPointF TSceneMapping::At(double x, double y) const {
  return {Left + (x - Bounds.X0) * Scale, Top + (Bounds.Y1 - y) * Scale};
}

QPointF TSceneMapping::Scene(QPointF pixel) const {
  return {Bounds.X0 + (pixel.x() - Left) / Scale, Bounds.Y1 - (pixel.y() - Top) / Scale};
}

TSceneMapping FitScene(const TPreviewScene& scene, const QRectF& target) {
  TSceneMapping m;
  m.Bounds = scene.Bounds;
  const double w = m.Bounds.Width(), h = m.Bounds.Height();
  m.Scale = w > 0 && h > 0 ? std::min(target.width() / w, target.height() / h)
            : w > 0        ? target.width() / w
            : h > 0        ? target.height() / h
                           : 1;
  // Centred in the target.
  m.Left = target.left() + (target.width() - w * m.Scale) / 2;
  m.Top = target.top() + (target.height() - h * m.Scale) / 2;
  return m;
}

void PaintPreviewScene(QPainter& painter, const TPreviewScene& scene, const QRectF& target) {
  const TSceneMapping mapping = FitScene(scene, target);
  const double scale = mapping.Scale;
  const auto at = [&mapping](double x, double y) { return mapping.At(x, y); };
  const auto rect = [&](const TRectMM& r) { return QRectF(at(r.X0, r.Y1), at(r.X1, r.Y0)); };

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(rect(scene.Face), Rgb(kFaceFill));

  // The swept band: lines as wide as the cutter with round ends cover exactly what it sweeps. Drawn
  // without smoothing, or two bands meeting edge to edge would show a pale seam.
  painter.setRenderHint(QPainter::Antialiasing, false);
  const double cutter = 2 * scene.Radius * scale;
  if (cutter > 0) {
    painter.setPen(QPen(Rgb(kSweptColour), cutter, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    TDrawnLines drawn;
    for (const TSegmentMM& s : scene.Swept) {
      if (drawn.Covered(at(s.X0, s.Y0), at(s.X1, s.Y1))) continue;
      if (s.X0 == s.X1 && s.Y0 == s.Y1) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(Rgb(kSweptColour));
        painter.drawEllipse(at(s.X0, s.Y0), cutter / 2, cutter / 2);
        painter.restore();
      } else {
        painter.drawLine(at(s.X0, s.Y0), at(s.X1, s.Y1));
      }
    }
  }

  // The band beyond the face of a job with overcut, in its own paler colour: the face's outline stays clear.
  if (cutter > 0 && scene.Overcut()) {
    painter.save();
    QPainterPath beyond;
    beyond.setFillRule(Qt::OddEvenFill);
    beyond.addRect(QRectF(at(scene.Bounds.X0, scene.Bounds.Y1), at(scene.Bounds.X1, scene.Bounds.Y0))
                       .adjusted(-cutter, -cutter, cutter, cutter));
    beyond.addRect(rect(scene.Face));
    painter.setClipPath(beyond, Qt::IntersectClip);
    painter.setPen(QPen(Rgb(kOvercutColour), cutter, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Rgb(kOvercutColour));
    for (const TSegmentMM& s : scene.Swept) {
      if (s.X0 == s.X1 && s.Y0 == s.Y1) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(at(s.X0, s.Y0), cutter / 2, cutter / 2);
        painter.restore();
      } else {
        painter.drawLine(at(s.X0, s.Y0), at(s.X1, s.Y1));
      }
    }
    painter.restore();
  }

  // The uncut cells as one shape per kind, so neighbouring rectangles do not show seams.
  const auto fillCells = [&](const std::vector<TRectMM>& cells, std::uint32_t colour) {
    QPainterPath uncut;
    for (const TRectMM& r : cells) uncut.addRect(rect(r));
    painter.fillPath(uncut.simplified(), Rgb(colour, kUncutOpacity));
  };
  fillCells(scene.Uncut.Corners, kUncutColour);
  fillCells(scene.Uncut.Inside, kUncutInsideColour);
  painter.setRenderHint(QPainter::Antialiasing, true);

  painter.setPen(QPen(Rgb(kFaceColour), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect(scene.Face));

  // Returns under the passes they run along, ramps over them.
  for (const TPathStyle style : {TPathStyle::psReturn, TPathStyle::psFeed, TPathStyle::psLiftedFeed,
                                 TPathStyle::psRapid, TPathStyle::psRamp}) {
    const double width = style == TPathStyle::psReturn ? kReturnWidth : kPathWidth;
    QPen pen(Rgb(PathColour(style)), width);
    if (style == TPathStyle::psRapid || style == TPathStyle::psReturn)
      pen.setDashPattern({kRapidDash / width, kRapidGap / width});
    painter.setPen(pen);
    TDrawnLines drawn;
    for (const TScenePath& p : scene.Paths) {
      if (p.Style != style) continue;
      const QPointF a = at(p.Segment.X0, p.Segment.Y0), b = at(p.Segment.X1, p.Segment.Y1);
      if (!drawn.Covered(a, b)) painter.drawLine(a, b);
    }
  }

  if (scene.HasStart) {
    painter.setPen(QPen(Rgb(kStartColour), 2));
    painter.drawEllipse(at(scene.StartX, scene.StartY), kStartRadius, kStartRadius);
  }
  painter.restore();
}
