// Renders every built-in picture into the PNG files that the program compiles in, so that the
// copies follow the drawings after a change to them:
//
//   QT_QPA_PLATFORM=offscreen vormatic-render-art [folder]
//
// The folder defaults to pages/art/rendered/ in the source tree. Prints each file written; exits
// with 1 when a file could not be written.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

#include "pages/art/ArtDraw.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith(u'-'))) {
        std::fprintf(stderr, "usage: vormatic-render-art [folder]\n");
        return 2;
    }
    const QDir folder(arguments.size() == 2 ? arguments[1]
                                            : QStringLiteral(VORMATIC_RENDERED_ART_DIR));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    int failures = 0;
    for (const art::draw::Drawing& drawing : art::draw::AllDrawings()) {
        const QString path = folder.filePath(drawing.file);
        QImageWriter writer(path, "png");
        writer.setQuality(0);  // the strongest compression: smaller files, same pixels
        if (writer.write(drawing.draw().toImage())) {
            std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
        } else {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
