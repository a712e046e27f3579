// The built-in pictures: the compiled-in PNG copies against fresh drawings, sizes, real content,
// distinct printers, the button glyphs, and PNG copies of everything under screenshots/art/ in the
// build folder for review.

#include <QDir>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "pages/art/Art.h"
#include "tools/render-art/drawings/ArtDraw.h"

namespace {

struct Picture {
    const char* name;
    std::function<QPixmap()> draw;  // what the pages get
    QSize size;
    const char* file;                // the rendered copy
    std::function<QPixmap()> drawn;  // a fresh drawing
};

const char* const kModelNames[10] = {
    "RX200 Tag Printer",   "RX6XX Tag Printer",   "RX200W Plate Printer", "MZ4-A Cassette Printer",
    "MZ4-B Slide Printer", "VF5Q Ampule Printer", "MZ4-E Drawer Printer", "MZ4-A2 Cassette Printer",
    "NB520 Tag Printer",   "RX8XX Tag Printer"};

std::vector<Picture> FixedPictures() {
    return {
        {"title", art::TitlePicture, QSize(600, 73), "title.png", art::draw::TitlePicture},
        {"collage", art::CollagePicture, QSize(254, 275), "collage.png", art::draw::CollagePicture},
        {"serial", art::SerialConnectionPicture, QSize(100, 100), "serial.png",
         art::draw::SerialConnectionPicture},
        {"usb", art::UsbConnectionPicture, QSize(100, 100), "usb.png",
         art::draw::UsbConnectionPicture},
        {"ethernet", art::EthernetConnectionPicture, QSize(100, 100), "ethernet.png",
         art::draw::EthernetConnectionPicture},
        {"program-icon", art::ProgramIcon, QSize(33, 41), "program-icon.png",
         art::draw::ProgramIcon},
        {"producer", art::ProducerPicture, QSize(325, 241), "producer.png",
         art::draw::ProducerPicture},
        {"alert", art::AlertIcon, QSize(32, 32), "alert.png", art::draw::AlertIcon},
        {"warning", art::WarningIcon, QSize(32, 32), "warning.png", art::draw::WarningIcon},
        {"notice", art::NoticeIcon, QSize(32, 32), "notice.png", art::draw::NoticeIcon}};
}

// Every picture with a rendered copy: the fixed ones, the printers and the four glyph images. For
// the glyphs, `draw` gives the image of the button icon.
std::vector<Picture> AllPictures() {
    std::vector<Picture> all = FixedPictures();
    static const char* const kPrinterFiles[10] = {
        "printer-0.png", "printer-1.png", "printer-2.png", "printer-3.png", "printer-4.png",
        "printer-5.png", "printer-6.png", "printer-7.png", "printer-8.png", "printer-9.png"};
    for (int i = 0; i < 10; ++i) {
        all.push_back({kModelNames[i], [i] { return art::PrinterPicture(i); }, QSize(),
                       kPrinterFiles[i], [i] { return art::draw::PrinterPicture(i); }});
    }
    const auto glyph = [](QIcon (*icon)(), QIcon::Mode mode) {
        return [icon, mode] { return icon().pixmap(QSize(16, 16), 1.0, mode); };
    };
    all.push_back({"Back glyph", glyph(art::BackGlyph, QIcon::Normal), QSize(16, 16), "back.png",
                   [] { return art::draw::BackGlyph(true); }});
    all.push_back({"Back glyph, disabled", glyph(art::BackGlyph, QIcon::Disabled), QSize(16, 16),
                   "back-disabled.png", [] { return art::draw::BackGlyph(false); }});
    all.push_back({"Next glyph", glyph(art::NextGlyph, QIcon::Normal), QSize(16, 16), "next.png",
                   [] { return art::draw::NextGlyph(true); }});
    all.push_back({"Next glyph, disabled", glyph(art::NextGlyph, QIcon::Disabled), QSize(16, 16),
                   "next-disabled.png", [] { return art::draw::NextGlyph(false); }});
    static const char* const kWindowIconFiles[] = {"window-icon-16.png", "window-icon-24.png",
                                                   "window-icon-32.png", "window-icon-48.png",
                                                   "window-icon-64.png", "window-icon-256.png"};
    for (std::size_t i = 0; i < std::size(kWindowIconFiles); ++i) {
        const int side = art::draw::kWindowIconSides[i];
        all.push_back({kWindowIconFiles[i],
                       [side] { return art::WindowIcon().pixmap(QSize(side, side), 1.0); },
                       QSize(side, side), kWindowIconFiles[i],
                       [side] { return art::draw::SquareProgramIcon(side); }});
    }
    return all;
}

QString ResourcePath(const char* file) {
    return QLatin1String(art::draw::kResourceFolder) + QLatin1String(file);
}

const char* const kRefresh =
    "run `QT_QPA_PLATFORM=offscreen tools/vormatic-render-art` in the build folder to refresh "
    "pages/art/rendered/, then rebuild";

QImage Argb(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// How many distinct colours an image holds, and the share of its most common colour.
struct Palette {
    int colours = 0;
    double dominantShare = 1.0;
};

Palette PaletteOf(const QImage& image) {
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    int most = 0;
    for (const int n : counts) {
        most = std::max(most, n);
    }
    return {static_cast<int>(counts.size()),
            static_cast<double>(most) / (image.width() * image.height())};
}

// Mean difference per channel (0..255) of two images brought to the same small size, so that
// two drawings that differ only in size still count as the same.
double Difference(const QImage& a, const QImage& b) {
    const QSize common(48, 48);
    const QImage sa = a.scaled(common, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage sb = b.scaled(common, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int y = 0; y < common.height(); ++y) {
        for (int x = 0; x < common.width(); ++x) {
            const QRgb pa = sa.pixel(x, y);
            const QRgb pb = sb.pixel(x, y);
            sum += std::abs(qRed(pa) - qRed(pb)) + std::abs(qGreen(pa) - qGreen(pb)) +
                   std::abs(qBlue(pa) - qBlue(pb));
        }
    }
    return sum / (3.0 * common.width() * common.height());
}

// How far two images of one size are apart, over the four channels of premultiplied ARGB: the
// mean absolute difference per channel (0..255), and the share of pixels that differ by more than
// 16 in some channel.
struct Mismatch {
    double meanDifference = 0;
    double farShare = 0;
};

Mismatch Compare(const QImage& a, const QImage& b) {
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    int far = 0;
    for (int y = 0; y < pa.height(); ++y) {
        for (int x = 0; x < pa.width(); ++x) {
            const QRgb ca = pa.pixel(x, y);
            const QRgb cb = pb.pixel(x, y);
            const int d[4] = {std::abs(qRed(ca) - qRed(cb)), std::abs(qGreen(ca) - qGreen(cb)),
                              std::abs(qBlue(ca) - qBlue(cb)), std::abs(qAlpha(ca) - qAlpha(cb))};
            sum += d[0] + d[1] + d[2] + d[3];
            far += *std::max_element(d, d + 4) > 16 ? 1 : 0;
        }
    }
    const double pixels = static_cast<double>(pa.width()) * pa.height();
    return {sum / (4.0 * pixels), far / pixels};
}

QImage GlyphImage(const QIcon& icon, QIcon::Mode mode) {
    return icon.pixmap(QSize(16, 16), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// How many opaque pixels the leftmost and the rightmost painted column hold: an arrow ends in a
// point on the side it points to and in the square end of its shaft on the other.
std::pair<int, int> EdgeColumnHeights(const QImage& image) {
    std::vector<int> heights;
    for (int x = 0; x < image.width(); ++x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        }
        if (count > 0) {
            heights.push_back(count);
        }
    }
    if (heights.empty()) {
        return {0, 0};
    }
    return {heights.front(), heights.back()};
}

QString ReviewDir() {
    return QStringLiteral(VORMATIC_BUILD_DIR "/screenshots/art/");
}

}  // namespace

class ArtTest : public QObject {
    Q_OBJECT

private slots:
    // The compiled-in copies must show what the drawings draw now: a drawing changed without
    // re-rendering fails here. Font rasterisation may differ by a hair between machines, hence
    // the tolerance.
    void renderedCopiesMatchTheDrawings() {
        for (const Picture& picture : AllPictures()) {
            const QImage copy(ResourcePath(picture.file));
            QVERIFY2(!copy.isNull(),
                     qPrintable(QStringLiteral("%1: no rendered copy %2; %3")
                                    .arg(QLatin1String(picture.name), ResourcePath(picture.file),
                                         QLatin1String(kRefresh))));
            const QImage drawn = picture.drawn().toImage();
            QVERIFY2(copy.size() == drawn.size(),
                     qPrintable(QStringLiteral("%1: the copy is %2 x %3, the drawing %4 x %5; %6")
                                    .arg(QLatin1String(picture.name))
                                    .arg(copy.width())
                                    .arg(copy.height())
                                    .arg(drawn.width())
                                    .arg(drawn.height())
                                    .arg(QLatin1String(kRefresh))));
            const Mismatch mismatch = Compare(copy, drawn);
            QVERIFY2(mismatch.meanDifference < 1.0 && mismatch.farShare <= 0.005,
                     qPrintable(QStringLiteral("%1: the rendered copy differs from the drawing "
                                               "(mean difference %2 per channel, %3 % of pixels "
                                               "off by more than 16); %4")
                                    .arg(QLatin1String(picture.name))
                                    .arg(mismatch.meanDifference, 0, 'f', 3)
                                    .arg(mismatch.farShare * 100, 0, 'f', 2)
                                    .arg(QLatin1String(kRefresh))));
        }
    }

    // The renderer writes what AllDrawings() lists: it must list every picture under the file
    // name the pages read, with the right drawing, and the resources hold exactly those files.
    void everyPictureHasOneRenderedCopy() {
        const std::vector<Picture> pictures = AllPictures();
        std::set<QString> expected;
        for (const Picture& picture : pictures) {
            expected.insert(QLatin1String(picture.file));
        }
        QCOMPARE(expected.size(), pictures.size());
        std::set<QString> listed;
        for (const art::draw::Drawing& drawing : art::draw::AllDrawings()) {
            QVERIFY2(listed.insert(drawing.file).second, qPrintable(drawing.file));
            const auto picture = std::find_if(pictures.begin(), pictures.end(), [&](const auto& p) {
                return drawing.file == QLatin1String(p.file);
            });
            QVERIFY2(picture != pictures.end(), qPrintable(drawing.file));
            QVERIFY2(drawing.draw().toImage() == picture->drawn().toImage(),
                     qPrintable(drawing.file));
        }
        QCOMPARE(listed, expected);
        const QStringList resources =
            QDir(QLatin1String(art::draw::kResourceFolder)).entryList(QDir::Files);
        QCOMPARE(std::set<QString>(resources.begin(), resources.end()), expected);
    }

    // What the pages get is the compiled-in copy of its own picture, pixel for pixel.
    void picturesComeFromTheirCopies() {
        for (const Picture& picture : AllPictures()) {
            const QImage copy = QImage(ResourcePath(picture.file))
                                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage shown =
                picture.draw().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QVERIFY2(!copy.isNull() && shown == copy, picture.name);
        }
        QVERIFY(art::draw::PrinterPicture(-1).isNull());
        QVERIFY(art::draw::PrinterPicture(10).isNull());
    }

    void picturesHaveTheirSizes() {
        for (const Picture& picture : FixedPictures()) {
            const QPixmap pixmap = picture.draw();
            QVERIFY2(!pixmap.isNull(), picture.name);
            QCOMPARE(pixmap.size(), picture.size);
            QCOMPARE(pixmap.devicePixelRatio(), 1.0);
        }
        for (int i = 0; i < 10; ++i) {
            const QPixmap pixmap = art::PrinterPicture(i);
            QVERIFY2(pixmap.width() >= 83 && pixmap.width() <= 116, kModelNames[i]);
            QVERIFY2(pixmap.height() >= 91 && pixmap.height() <= 126, kModelNames[i]);
            QCOMPARE(pixmap.devicePixelRatio(), 1.0);
        }
        QVERIFY(art::PrinterPicture(-1).isNull());
        QVERIFY(art::PrinterPicture(10).isNull());
    }

    // The model page stands the printers in two columns; no picture may reach into the one below.
    void printersFitTheModelPageColumns() {
        const std::vector<std::vector<std::pair<int, int>>> columns{
            {{0, 8}, {1, 128}, {8, 264}, {9, 390}, {2, 496}},
            {{3, 8}, {7, 128}, {4, 248}, {5, 368}, {6, 488}}};
        for (const auto& column : columns) {
            for (std::size_t i = 0; i + 1 < column.size(); ++i) {
                const auto [model, top] = column[i];
                const int room = column[i + 1].second - top;
                QVERIFY2(art::PrinterPicture(model).height() < room, kModelNames[model]);
            }
        }
    }

    void picturesAreDrawnNotFilled() {
        std::vector<std::pair<QString, QPixmap>> all;
        for (const Picture& picture : FixedPictures()) {
            all.emplace_back(QString::fromLatin1(picture.name), picture.draw());
        }
        for (int i = 0; i < 10; ++i) {
            all.emplace_back(QString::fromLatin1(kModelNames[i]), art::PrinterPicture(i));
        }
        for (const auto& [name, pixmap] : all) {
            const Palette palette = PaletteOf(Argb(pixmap));
            const int wanted = pixmap.width() * pixmap.height() >= 5000 ? 200 : 60;
            QVERIFY2(palette.colours >= wanted,
                     qPrintable(QStringLiteral("%1: %2 colours").arg(name).arg(palette.colours)));
            QVERIFY2(palette.dominantShare < 0.85,
                     qPrintable(QStringLiteral("%1: one colour covers %2")
                                    .arg(name)
                                    .arg(palette.dominantShare)));
        }
    }

    void printersDifferPairwise() {
        std::vector<QImage> images;
        for (int i = 0; i < 10; ++i) {
            images.push_back(Argb(art::PrinterPicture(i)));
        }
        for (int i = 0; i < 10; ++i) {
            for (int j = i + 1; j < 10; ++j) {
                const double d = Difference(images[static_cast<std::size_t>(i)],
                                            images[static_cast<std::size_t>(j)]);
                QVERIFY2(d > 12.0, qPrintable(QStringLiteral("%1 vs %2: %3")
                                                  .arg(QLatin1String(kModelNames[i]),
                                                       QLatin1String(kModelNames[j]))
                                                  .arg(d)));
            }
        }
    }

    void picturesAreDrawnOnce() {
        QCOMPARE(art::TitlePicture().cacheKey(), art::TitlePicture().cacheKey());
        QCOMPARE(art::CollagePicture().cacheKey(), art::CollagePicture().cacheKey());
        QCOMPARE(art::PrinterPicture(5).cacheKey(), art::PrinterPicture(5).cacheKey());
        QVERIFY(art::PrinterPicture(5).cacheKey() != art::PrinterPicture(6).cacheKey());
    }

    // Enabled arrows are green, disabled ones grey, and each points its own way.
    void glyphsHaveEnabledAndDisabledImages() {
        const QIcon back = art::BackGlyph();
        const QIcon next = art::NextGlyph();
        for (const QIcon* icon : {&back, &next}) {
            const QImage normal = GlyphImage(*icon, QIcon::Normal);
            const QImage disabled = GlyphImage(*icon, QIcon::Disabled);
            QCOMPARE(normal.size(), QSize(16, 16));
            QCOMPARE(disabled.size(), QSize(16, 16));
            QVERIFY(normal != disabled);
            long red = 0;
            long green = 0;
            long blue = 0;
            int opaque = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const QRgb n = normal.pixel(x, y);
                    if (qAlpha(n) > 200) {
                        red += qRed(n);
                        green += qGreen(n);
                        blue += qBlue(n);
                        ++opaque;
                    }
                    const QRgb d = disabled.pixel(x, y);
                    if (qAlpha(d) > 200) {
                        QVERIFY(std::abs(qRed(d) - qGreen(d)) <= 8);
                        QVERIFY(std::abs(qGreen(d) - qBlue(d)) <= 8);
                    }
                }
            }
            QVERIFY(opaque > 40);
            QVERIFY(green > red + 30 * opaque);
            QVERIFY(green > blue + 30 * opaque);
            QVERIFY(qAlpha(normal.pixel(0, 0)) == 0);
        }
        const auto [backLeft, backRight] = EdgeColumnHeights(GlyphImage(back, QIcon::Normal));
        QVERIFY2(backLeft < backRight, "the Back arrow points left");
        const auto [nextLeft, nextRight] = EdgeColumnHeights(GlyphImage(next, QIcon::Normal));
        QVERIFY2(nextLeft > nextRight, "the Next arrow points right");
    }

    void windowIconComesInSeveralSizes() {
        const QIcon icon = art::WindowIcon();
        const QList<QSize> sizes = icon.availableSizes();
        for (const int side : {16, 32, 48}) {
            QVERIFY(sizes.contains(QSize(side, side)));
            const QImage image = icon.pixmap(QSize(side, side), 1.0).toImage();
            QCOMPARE(image.size(), QSize(side, side));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QVERIFY(PaletteOf(image.convertToFormat(QImage::Format_ARGB32)).colours >= 20);
        }
    }

    void savePicturesForReview() {
        QVERIFY(QDir().mkpath(ReviewDir()));
        for (const Picture& picture : FixedPictures()) {
            QVERIFY(picture.draw().save(ReviewDir() + QLatin1String(picture.name) + ".png"));
        }
        for (int i = 0; i < 10; ++i) {
            QVERIFY(
                art::PrinterPicture(i).save(ReviewDir() + QStringLiteral("printer-%1.png").arg(i)));
        }
        for (const auto& [name, icon] :
             {std::pair{"back", art::BackGlyph()}, std::pair{"next", art::NextGlyph()}}) {
            for (const auto& [mode, suffix] :
                 {std::pair{QIcon::Normal, "normal"}, std::pair{QIcon::Disabled, "disabled"}}) {
                QVERIFY(GlyphImage(icon, mode)
                            .save(ReviewDir() + QLatin1String(name) + "-" + QLatin1String(suffix) +
                                  ".png"));
            }
        }
        QVERIFY(
            art::WindowIcon().pixmap(QSize(48, 48), 1.0).save(ReviewDir() + "window-icon-48.png"));
        // All printers as the model page places them, to judge them side by side.
        QPixmap sheet(585, 620);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        const std::vector<std::pair<int, QPoint>> places{
            {0, {8, 8}},   {1, {8, 128}},   {8, {8, 264}},   {9, {8, 390}},   {2, {8, 496}},
            {3, {448, 8}}, {7, {448, 128}}, {4, {448, 248}}, {5, {448, 368}}, {6, {448, 488}}};
        for (const auto& [model, at] : places) {
            p.drawPixmap(at, art::PrinterPicture(model));
            p.drawText(QRect(at.x() < 300 ? 128 : 200, at.y() + 40, 240, 16),
                       at.x() < 300 ? Qt::AlignLeft : Qt::AlignRight, kModelNames[model]);
        }
        p.end();
        QVERIFY(sheet.save(ReviewDir() + "model-page.png"));
    }
};

QTEST_MAIN(ArtTest)
#include "ArtTest.moc"
