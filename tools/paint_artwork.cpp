// paint_artwork <repo-root>: paints every picture the game ships and writes
// them into the source tree (Images/ and windows/pictures/). The output is
// committed; rerunning gives the same files byte for byte.

#include "ArtKit.h"
#include "Bmp.h"
#include "Pictures.h"
#include "SpriteSheet.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool Save(const QImage& img, const QString& path)
{
  if (!img.save(path, "PNG")) {
    std::fprintf(stderr, "paint_artwork: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("wrote %s (%dx%d)\n", qPrintable(path), img.width(), img.height());
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  // Off-screen rendering keeps the output independent of any display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: paint_artwork <repo-root>\n");
    return 1;
  }
  art::RequireFonts();

  const QDir root(QString::fromLocal8Bit(argv[1]));
  if (!root.mkpath(QStringLiteral("Images")) || !root.mkpath(QStringLiteral("windows/pictures"))) {
    std::fprintf(stderr, "paint_artwork: cannot create the output folders under %s\n", argv[1]);
    return 1;
  }

  const QString sheetPath = root.filePath(QStringLiteral("Images/bitmaps.bmp"));
  if (!art::WriteBmp24(art::PaintSpriteSheet(), sheetPath)) {
    std::fprintf(stderr, "paint_artwork: cannot write %s\n", qPrintable(sheetPath));
    return 1;
  }
  std::printf("wrote %s (80x160)\n", qPrintable(sheetPath));

  const QString pictures = root.filePath(QStringLiteral("windows/pictures/"));
  bool ok = true;
  ok = Save(art::PaintSplash().convertToFormat(QImage::Format_RGB888), pictures + "splash.png") && ok;
  ok = Save(art::PaintInfo().convertToFormat(QImage::Format_RGB888), pictures + "info.png") && ok;
  ok = Save(art::PaintPlayfield().convertToFormat(QImage::Format_RGB888), pictures + "playfield.png") && ok;
  for (int size : {256, 128, 64, 48, 32, 24, 16})
    ok = Save(art::PaintIcon(size), pictures + QStringLiteral("icon%1.png").arg(size)) && ok;
  return ok ? 0 : 1;
}
