// The built-in pictures: sizes, real content, distinct printers, the button glyphs, and PNG copies
// of everything under screenshots/art/ in the build folder for review.

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
#include <utility>
#include <vector>

#include "pages/art/Art.h"

namespace {

struct Picture {
    const char* name;
    std::function<QPixmap()> draw;
    QSize size;
};

const char* const kModelNames[10] = {
    "RX200 Tag Printer",   "RX6XX Tag Printer",   "RX200W Plate Printer", "MZ4-A Cassette Printer",
    "MZ4-B Slide Printer", "VF5Q Ampule Printer", "MZ4-E Drawer Printer", "MZ4-A2 Cassette Printer",
    "NB520 Tag Printer",   "RX8XX Tag Printer"};

std::vector<Picture> FixedPictures() {
    return {{"title", art::TitlePicture, QSize(600, 73)},
            {"collage", art::CollagePicture, QSize(254, 275)},
            {"serial", art::SerialConnectionPicture, QSize(100, 100)},
            {"usb", art::UsbConnectionPicture, QSize(100, 100)},
            {"ethernet", art::EthernetConnectionPicture, QSize(100, 100)},
            {"program-icon", art::ProgramIcon, QSize(33, 41)},
            {"producer", art::ProducerPicture, QSize(325, 241)}};
}

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
