// Renders every built-in picture into the PNG files that the program compiles in, so that the
// copies follow the drawings after a change to them:
//
//   QT_QPA_PLATFORM=offscreen vormatic-render-art [folder]
//
// The folder defaults to pages/art/rendered/ in the source tree. Besides the PNG files it writes
// program-icon.ico, the window icon's sizes for the Windows executable's resources. Prints each
// file written; exits with 1 when a file could not be written.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

#include "tools/render-art/drawings/ArtDraw.h"

namespace {

void PutLe16(QByteArray& out, int value) {
    out.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
}
void PutLe32(QByteArray& out, qint64 value) {
    PutLe16(out, int(value & 0xffff));
    PutLe16(out, int((value >> 16) & 0xffff));
}

// An ICO file whose entries are PNG images, one per size (Windows Vista and later read them;
// windres takes them as they are).
QByteArray IcoOf(const QList<QImage>& images) {
    QList<QByteArray> pngs;
    for (const QImage& image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        pngs.append(png);
    }
    QByteArray ico;
    PutLe16(ico, 0);  // reserved
    PutLe16(ico, 1);  // an icon, not a cursor
    PutLe16(ico, int(images.size()));
    qint64 offset = 6 + 16 * images.size();
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int side = images[i].width();
        ico.append(char(side >= 256 ? 0 : side)).append(char(side >= 256 ? 0 : side));
        ico.append(char(0)).append(char(0));  // no palette, reserved
        PutLe16(ico, 1);                      // colour planes
        PutLe16(ico, 32);                     // bits per pixel
        PutLe32(ico, pngs[i].size());
        PutLe32(ico, offset);
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs) {
        ico.append(png);
    }
    return ico;
}

}  // namespace

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
    QList<QImage> iconSizes;
    for (const int side : art::draw::kWindowIconSides) {
        iconSizes.append(art::draw::SquareProgramIcon(side).toImage());
    }
    QFile ico(folder.filePath(QStringLiteral("program-icon.ico")));
    if (ico.open(QIODevice::WriteOnly) && ico.write(IcoOf(iconSizes)) > 0 && ico.flush()) {
        std::printf("%s\n", qPrintable(QDir::toNativeSeparators(ico.fileName())));
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(ico.fileName()));
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
