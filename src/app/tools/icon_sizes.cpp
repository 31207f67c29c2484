// Writes the application icon for the desktop's icon theme: FOLDER/NxN/apps/skimplane.png for each size.

#include <QDir>
#include <QString>

#include <cstdio>

#include "IconPainter.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skimplane_icon_sizes FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    QDir().mkpath(dir);
    ok = PaintIcon(size).save(dir + QStringLiteral("/skimplane.png"), "PNG") && ok;
  }
  if (!ok) std::fprintf(stderr, "skimplane_icon_sizes: cannot write the icons into %s\n", argv[1]);
  return ok ? 0 : 1;
}
