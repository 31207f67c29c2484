// Draws the window's pictures and the application icon into resources/images.
// Run by hand after changing a drawing: skimplane_draw_pictures <folder>
// The PNGs it writes are committed; the program carries them as Qt resources.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <cstdio>
#include <functional>

#include "IconPainter.h"

namespace {

const QColor kContent(243, 245, 247);  // the skin's content colour: ground of the face and overlap diagrams
const QColor kInk(34, 48, 66);
const QColor kDimension(40, 96, 170);
const QColor kAccent(176, 38, 32);

// A filled arrow head with its tip at `tip`, pointing along `dir`.
void ArrowHead(QPainter& p, QPointF tip, QPointF dir, double length = 7, double half = 3) {
  const double n = std::hypot(dir.x(), dir.y());
  const QPointF u(dir.x() / n, dir.y() / n);
  const QPointF v(-u.y(), u.x());
  const QPointF base = tip - u * length;
  QPolygonF head{tip, base + v * half, base - v * half};
  p.save();
  p.setBrush(p.pen().color());
  p.setPen(Qt::NoPen);
  p.drawPolygon(head);
  p.restore();
}

// A dimension line with arrow heads at both ends.
void Dimension(QPainter& p, QPointF a, QPointF b) {
  p.drawLine(a, b);
  ArrowHead(p, a, a - b);
  ArrowHead(p, b, b - a);
}

QImage Canvas(int w, int h, const QColor& ground) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(ground);
  return img;
}

bool Save(const QImage& img, const QString& folder, const char* name) {
  const QString path = QDir(folder).filePath(QLatin1String(name));
  // The window's pictures are plain 24-bit images.
  const bool ok = img.convertToFormat(QImage::Format_RGB888).save(path, "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  return ok;
}

// ---- Image2: the face with its X and Y extents --------------------------------------------------------
QImage DrawFace() {
  QImage img = Canvas(247, 224, kContent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF face(30, 18, 138, 158);

  // The stock seen from above: a light plate with a darker rim and a faint milled texture.
  QLinearGradient plate(face.topLeft(), face.bottomRight());
  plate.setColorAt(0, QColor(226, 233, 241));
  plate.setColorAt(1, QColor(200, 211, 224));
  p.setBrush(plate);
  p.setPen(QPen(kInk, 2));
  p.drawRect(face);
  p.setPen(QPen(QColor(255, 255, 255, 110), 1));
  for (double y = face.top() + 10; y < face.bottom() - 4; y += 10)
    p.drawLine(QPointF(face.left() + 4, y), QPointF(face.right() - 4, y));

  // Work origin at the front-left corner: X to the right, Y forward (up in this view).
  const QPointF o(face.left() + 8, face.bottom() - 8);
  p.setPen(QPen(QColor(200, 40, 40), 2));
  p.drawLine(o, o + QPointF(24, 0));
  ArrowHead(p, o + QPointF(28, 0), QPointF(1, 0), 7, 3.5);
  p.setPen(QPen(QColor(30, 140, 60), 2));
  p.drawLine(o, o - QPointF(0, 24));
  ArrowHead(p, o - QPointF(0, 28), QPointF(0, -1), 7, 3.5);
  p.setBrush(kInk);
  p.setPen(Qt::NoPen);
  p.drawEllipse(o, 2.5, 2.5);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(10);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(200, 40, 40));
  p.drawText(o + QPointF(30, 4), QStringLiteral("X"));
  p.setPen(QColor(30, 140, 60));
  p.drawText(o + QPointF(-3, -32), QStringLiteral("Y"));

  // Y extent along the right side, X extent below.
  p.setPen(QPen(kDimension, 1));
  p.drawLine(QPointF(face.right() + 3, face.top()), QPointF(face.right() + 26, face.top()));
  p.drawLine(QPointF(face.right() + 3, face.bottom()), QPointF(face.right() + 26, face.bottom()));
  p.drawLine(QPointF(face.left(), face.bottom() + 3), QPointF(face.left(), face.bottom() + 26));
  p.drawLine(QPointF(face.right(), face.bottom() + 3), QPointF(face.right(), face.bottom() + 26));
  p.setPen(QPen(kDimension, 1.5));
  Dimension(p, QPointF(face.right() + 20, face.top() + 1), QPointF(face.right() + 20, face.bottom() - 1));
  Dimension(p, QPointF(face.left() + 1, face.bottom() + 20), QPointF(face.right() - 1, face.bottom() + 20));
  return img;
}

// ---- Image3: an end mill in a groove, depth and diameter dimensioned ---------------------------------
QImage DrawCutter() {
  QImage img = Canvas(129, 194, Qt::white);  // white is left unpainted on the page (bottom-left pixel)
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const double top = 112, floor = 140, bottom = 150, left = 30, right = 123, gl = 48, gr = 92;

  // The block in section, with the groove cut into its top.
  QPolygonF block{{left, top}, {gl, top},    {gl, floor},     {gr, floor},
                  {gr, top},   {right, top}, {right, bottom}, {left, bottom}};
  QPainterPath blockPath;
  blockPath.addPolygon(block);
  blockPath.closeSubpath();
  p.fillPath(blockPath, QColor(214, 221, 230));
  p.save();
  p.setClipPath(blockPath);
  p.setPen(QPen(QColor(120, 134, 152), 1));
  for (double x = left - 60; x < right + 10; x += 7)
    p.drawLine(QPointF(x, bottom + 2), QPointF(x + 42, top - 4));
  p.restore();
  p.setPen(QPen(kInk, 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(blockPath);

  // The end mill: shank, neck and the fluted part standing on the groove floor.
  const double cx = 70, r = 20.5, shank = 12;
  QLinearGradient steel(cx - r, 0, cx + r, 0);
  steel.setColorAt(0, QColor(120, 128, 140));
  steel.setColorAt(0.35, QColor(236, 240, 245));
  steel.setColorAt(0.55, QColor(190, 198, 208));
  steel.setColorAt(1, QColor(96, 104, 116));
  QPainterPath tool;
  tool.moveTo(cx - shank + 2, 2);
  tool.lineTo(cx + shank - 2, 2);
  tool.lineTo(cx + shank, 5);
  tool.lineTo(cx + shank, 54);
  tool.lineTo(cx + r, 64);
  tool.lineTo(cx + r, floor - 2);
  tool.lineTo(cx + r - 2, floor);
  tool.lineTo(cx - r + 2, floor);
  tool.lineTo(cx - r, floor - 2);
  tool.lineTo(cx - r, 64);
  tool.lineTo(cx - shank, 54);
  tool.lineTo(cx - shank, 5);
  tool.closeSubpath();
  p.fillPath(tool, steel);
  // Helical flutes: slanted S-curves across the cutting part, dark in the gullet, light on the land.
  p.save();
  QPainterPath body;
  body.addRect(QRectF(cx - r, 64, 2 * r, floor - 64));
  p.setClipPath(body.intersected(tool));
  for (double y0 = 58; y0 < floor + 24; y0 += 13) {
    QPainterPath flute;
    flute.moveTo(cx - r, y0);
    flute.cubicTo(cx - r / 2, y0 - 2, cx + r / 2, y0 - 14, cx + r, y0 - 18);
    p.setPen(QPen(QColor(52, 58, 68), 3.2));
    p.drawPath(flute);
    p.setPen(QPen(QColor(248, 250, 252), 1));
    p.drawPath(flute.translated(0, 3));
  }
  p.restore();
  p.setPen(QPen(kInk, 1.4));
  p.drawPath(tool);
  p.setPen(QPen(QColor(90, 96, 108), 1, Qt::DashDotLine));
  p.drawLine(QPointF(cx, 0), QPointF(cx, 56));

  // Depth at the groove's left, diameter under the groove.
  p.setPen(QPen(kDimension, 1));
  p.drawLine(QPointF(left - 2, top), QPointF(14, top));
  p.setPen(QPen(kDimension, 1, Qt::DashLine));
  p.drawLine(QPointF(gl, floor), QPointF(left, floor));
  p.setPen(QPen(kDimension, 1));
  p.drawLine(QPointF(left, floor), QPointF(14, floor));
  p.setPen(QPen(kDimension, 1.4));
  Dimension(p, QPointF(22, top + 1), QPointF(22, floor - 1));

  p.setPen(QPen(kDimension, 1, Qt::DashLine));
  p.drawLine(QPointF(gl, floor), QPointF(gl, bottom));
  p.drawLine(QPointF(gr, floor), QPointF(gr, bottom));
  p.setPen(QPen(kDimension, 1));
  p.drawLine(QPointF(gl, bottom + 2), QPointF(gl, 168));
  p.drawLine(QPointF(gr, bottom + 2), QPointF(gr, 168));
  p.setPen(QPen(kDimension, 1.4));
  Dimension(p, QPointF(gl + 1, 162), QPointF(gr - 1, 162));
  return img;
}

// ---- Image4: two neighbouring passes overlapping ------------------------------------------------------
QImage DrawOverlap() {
  QImage img = Canvas(139, 69, kContent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const double r = 27, cy = 31;
  const QPointF a(55, cy), b(97, cy);
  p.setPen(QPen(QColor(40, 96, 170), 1.6));
  p.setBrush(QColor(52, 112, 184, 70));
  p.drawEllipse(a, r, r);
  p.drawEllipse(b, r, r);
  p.setPen(QPen(QColor(90, 100, 115), 1, Qt::DashDotLine));
  for (const QPointF c : {a, b}) {
    p.drawLine(c - QPointF(5, 0), c + QPointF(5, 0));
    p.drawLine(c - QPointF(0, 5), c + QPointF(0, 5));
  }
  // The arrow points up into the lens that both passes cut.
  p.setPen(QPen(kAccent, 2));
  p.drawLine(QPointF(76, 68), QPointF(76, 44));
  ArrowHead(p, QPointF(76, 38), QPointF(0, -1), 8, 4);
  return img;
}

// ---- Image5..7: the strategy icons on a blue gradient ---------------------------------------------------
QImage StrategyIcon(const std::function<void(QPainter&)>& draw) {
  QImage img(96, 96, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, 96);
  g.setColorAt(0, QColor(104, 164, 226));
  g.setColorAt(1, QColor(22, 74, 146));
  p.fillRect(img.rect(), g);
  p.setPen(QPen(QColor(255, 255, 255, 60), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, 95, 95));
  p.setPen(QPen(QColor(236, 246, 255), 2.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  draw(p);
  return img;
}

void StartDot(QPainter& p, QPointF at) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 214, 90));
  p.drawEllipse(at, 3.6, 3.6);
  p.restore();
}

QImage DrawSpiral() {
  return StrategyIcon([](QPainter& p) {
    // Rectangles nested by a constant step, each joined to the next at a corner: an inward spiral.
    QPolygonF path;
    double l = 14, t = 16, r = 82, b = 80;
    const double step = 9;
    path << QPointF(l, b);
    while (r - l > step && b - t > step) {
      path << QPointF(l, t) << QPointF(r, t) << QPointF(r, b);
      l += step;
      path << QPointF(l, b);
      t += step;
      r -= step;
      b -= step;
      path << QPointF(l, b);
    }
    p.drawPolyline(path);
    StartDot(p, path.front());
  });
}

QImage DrawAlongX() {
  return StrategyIcon([](QPainter& p) {
    const QRectF face(14, 16, 68, 64);
    p.drawRect(face);
    for (int k = 1; k < 6; ++k) {
      const double y = face.top() + k * face.height() / 6;
      p.drawLine(QPointF(face.left(), y), QPointF(face.right(), y));
    }
    StartDot(p, face.bottomLeft());
  });
}

QImage DrawAlongY() {
  return StrategyIcon([](QPainter& p) {
    const QRectF face(14, 16, 68, 64);
    p.drawRect(face);
    for (int k = 1; k < 6; ++k) {
      const double x = face.left() + k * face.width() / 6;
      p.drawLine(QPointF(x, face.top()), QPointF(x, face.bottom()));
    }
    StartDot(p, face.bottomLeft());
  });
}

// ---- Image1: the About picture: an end mill facing a plate along a spiral -----------------------------
QImage DrawAbout() {
  QImage img = Canvas(132, 130, kContent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, 130);
  g.setColorAt(0, QColor(104, 164, 226));
  g.setColorAt(1, QColor(22, 74, 146));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(2, 2, 128, 126), 14, 14);

  // The plate in an oblique view; a point (u, v) of the face in 0..1 maps onto it.
  const QPointF o(16, 96), ux(62, 24), vy(48, -22);
  const auto at = [&](double u, double v) { return o + ux * u + vy * v; };
  QPolygonF top{at(0, 0), at(1, 0), at(1, 1), at(0, 1)};
  QPolygonF front{at(0, 0), at(1, 0), at(1, 0) + QPointF(0, 10), at(0, 0) + QPointF(0, 10)};
  QPolygonF side{at(1, 0), at(1, 1), at(1, 1) + QPointF(0, 10), at(1, 0) + QPointF(0, 10)};
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(QColor(150, 162, 178));
  p.drawPolygon(front);
  p.setBrush(QColor(120, 132, 150));
  p.drawPolygon(side);
  p.setBrush(QColor(226, 232, 240));
  p.drawPolygon(top);

  // The toolpath: a rectangular spiral, finished to the middle.
  QPolygonF spiral;
  double l = 0.1, b = 0.1, r = 0.9, t = 0.9;
  spiral << at(l, b);
  while (r - l > 0.16) {
    spiral << at(l, t) << at(r, t) << at(r, b);
    l += 0.14;
    spiral << at(l, b);
    t -= 0.14;
    r -= 0.14;
    b += 0.14;
    spiral << at(l, b);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(214, 92, 30), 1.8));
  p.drawPolyline(spiral);

  // The end mill coming down onto the end of the path.
  const QPointF tip = spiral.back();
  QLinearGradient steel(tip.x() - 8, 0, tip.x() + 8, 0);
  steel.setColorAt(0, QColor(120, 128, 140));
  steel.setColorAt(0.4, QColor(246, 248, 250));
  steel.setColorAt(1, QColor(96, 104, 116));
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(steel);
  p.drawRect(QRectF(tip.x() - 6, 8, 12, 26));
  p.drawRect(QRectF(tip.x() - 8, 34, 16, tip.y() - 36));
  p.drawEllipse(QRectF(tip.x() - 8, tip.y() - 5, 16, 6));
  p.setPen(QPen(QColor(52, 58, 68), 2));
  for (double y = 40; y < tip.y() - 4; y += 8)
    p.drawLine(QPointF(tip.x() - 8, y + 5), QPointF(tip.x() + 8, y));
  return img;
}

// ---- the icon (IconPainter.h); the window's copy is indexed like the other pictures ----------------
QImage DrawIcon() {
  return PaintIcon(32).convertToFormat(QImage::Format_Indexed8);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/images");
  QDir().mkpath(folder);
  bool ok = Save(DrawFace(), folder, "face.png") && Save(DrawCutter(), folder, "cutter.png") &&
            Save(DrawOverlap(), folder, "overlap.png") && Save(DrawSpiral(), folder, "spiral.png") &&
            Save(DrawAlongX(), folder, "along-x.png") && Save(DrawAlongY(), folder, "along-y.png") &&
            Save(DrawAbout(), folder, "about.png");
  const QString icon = QDir(folder).filePath(QStringLiteral("icon.png"));
  ok = DrawIcon().save(icon, "PNG") && ok;
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(icon));
  return ok ? 0 : 1;
}
