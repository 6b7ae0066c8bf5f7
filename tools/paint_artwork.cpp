// paint_artwork <repo-root>: paints every picture the game ships (the sprite
// sheet, the windows' pictures, the icons) and the players' guide to the bonus
// items, and writes them into the source tree. The output is committed.
//
// paint_artwork --check <repo-root> <work-dir>: paints the same files into
// work-dir and compares their pixels with the committed ones, each within the
// tolerance Artwork.cpp gives it. Leaves a difference picture beside every
// repainted file that differs at all (CONTRIBUTING.md tells how to read it).

#include "ArtKit.h"
#include "Artwork.h"
#include "PictureCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>

namespace {

// Paints every file under root; false when one could not be written.
bool PaintAll(const QDir& root) {
    bool ok = true;
    for (const art::ArtworkFile& file : art::ArtworkFiles()) {
        const QString path = root.filePath(QString::fromLatin1(file.path));
        if (!QDir().mkpath(QFileInfo(path).path())) {
            std::fprintf(stderr, "paint_artwork: cannot create the folder of %s\n", qPrintable(path));
            ok = false;
            continue;
        }
        ok = art::WriteArtwork(file.paint(), path) && ok;
    }
    return ok;
}

// Compares the files painted under work with the committed ones under root.
bool CheckAll(const QDir& root, const QDir& work) {
    bool ok = true;
    for (const art::ArtworkFile& file : art::ArtworkFiles()) {
        const QString name = QString::fromLatin1(file.path);
        const QImage committed(root.filePath(name));
        const QImage painted(work.filePath(name));
        if (committed.isNull() || painted.isNull()) {
            std::printf("MISSING %s: %s\n", file.path,
                        committed.isNull() ? "no committed picture" : "not repainted");
            ok = false;
            continue;
        }
        const art::PictureDifference d = art::ComparePictures(painted, committed, file.tolerance);
        const char* verdict = !d.Passes() ? "STALE  " : d.differing > 0 ? "WITHIN " : "SAME   ";
        std::printf("%s %s (tolerance %d): %s\n", verdict, file.path, file.tolerance,
                    qPrintable(d.Summary()));
        if (d.differing > 0 && d.sameSize) {
            const QString diff = work.filePath(name + QStringLiteral(".diff.png"));
            if (d.picture.save(diff, "PNG"))
                std::printf("        difference picture: %s\n", qPrintable(diff));
        }
        ok = d.Passes() && ok;
    }
    if (!ok) {
        std::printf(
            "\nThe committed artwork is not what the painter draws. If you changed the painter or\n"
            "game/Constants.h, run `ninja artwork` and commit the pictures; if you did not, see\n"
            "\"When a picture check fails on your machine\" in CONTRIBUTING.md.\n");
    }
    return ok;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: paint_artwork <repo-root>\n"
                 "       paint_artwork --check <repo-root> <work-dir>\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Off-screen rendering keeps the output independent of any display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool check = argc == 4 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) return Usage();
    art::RequireFonts();

    const QDir root(QString::fromLocal8Bit(argv[check ? 2 : 1]));
    if (!check) return PaintAll(root) ? 0 : 1;

    QDir work(QString::fromLocal8Bit(argv[3]));
    if (!work.removeRecursively() || !QDir().mkpath(work.path())) {
        std::fprintf(stderr, "paint_artwork: cannot empty %s\n", argv[3]);
        return 1;
    }
    if (!PaintAll(work)) return 1;
    return CheckAll(root, work) ? 0 : 1;
}
