#pragma once
// The application icon, drawn at any size: a beige tile, two text glyphs and a dark red diagonal arrow
// between them. Designed on a 32-pixel grid; other sizes scale the same strokes, so a large icon stays
// sharp instead of being an enlarged 32-pixel picture.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

inline QImage PaintIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(QPen(QColor(150, 124, 78), 1));
  p.setBrush(QColor(236, 222, 184));
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 4, 4);
  p.setPen(QPen(QColor(60, 60, 66), 2, Qt::SolidLine, Qt::FlatCap));
  for (int k = 0; k < 3; ++k) {
    p.drawLine(QPointF(4, 6 + 4 * k), QPointF(k == 2 ? 10 : 14, 6 + 4 * k));
    p.drawLine(QPointF(18, 18 + 4 * k), QPointF(k == 2 ? 24 : 28, 18 + 4 * k));
  }
  p.setPen(QPen(QColor(139, 22, 22), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(6, 26), QPointF(21, 11));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(139, 22, 22));
  p.drawPolygon(QPolygonF{{27, 5}, {16, 9}, {23, 16}});
  p.end();
  return img;
}
