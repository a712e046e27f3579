// The printers by model index, and the list of every picture with the file of its rendered copy.

#include "tools/render-art/drawings/ArtDraw.h"

#include <array>

#include "tools/render-art/drawings/ArtKit.h"
#include "tools/render-art/drawings/ArtParts.h"

namespace art {
using namespace art::kit;

namespace parts {

QSize PrinterSize(int modelIndex) {
    static constexpr std::array<QSize, kModelCount> kSizes{
        QSize(110, 104), QSize(112, 116), QSize(116, 92), QSize(116, 116), QSize(104, 112),
        QSize(100, 110), QSize(96, 116),  QSize(88, 108), QSize(108, 98),  QSize(116, 100)};
    if (modelIndex < 0 || modelIndex >= kModelCount) {
        return {};
    }
    return kSizes.at(static_cast<std::size_t>(modelIndex));
}

void PaintPrinter(QPainter& p, int modelIndex) {
    using Painter = void (*)(QPainter&);
    static constexpr std::array<Painter, kModelCount> kPainters{
        PaintRx200, PaintRx6xx, PaintRx200w, PaintMz4a,  PaintMz4b,
        PaintVf5q,  PaintMz4e,  PaintMz4a2,  PaintNb520, PaintRx8xx};
    if (modelIndex >= 0 && modelIndex < kModelCount) {
        kPainters.at(static_cast<std::size_t>(modelIndex))(p);
    }
}

}  // namespace parts

namespace draw {

QPixmap PrinterPicture(int modelIndex) {
    const QSize size = parts::PrinterSize(modelIndex);
    if (size.isEmpty()) {
        return {};
    }
    QPixmap pixmap = Canvas(size.width(), size.height());
    QPainter p(&pixmap);
    Prepare(p);
    parts::PaintPrinter(p, modelIndex);
    return pixmap;
}

std::vector<Drawing> AllDrawings() {
    std::vector<Drawing> all{
        {QStringLiteral("title.png"), TitlePicture},
        {QStringLiteral("collage.png"), CollagePicture},
        {QStringLiteral("serial.png"), SerialConnectionPicture},
        {QStringLiteral("usb.png"), UsbConnectionPicture},
        {QStringLiteral("ethernet.png"), EthernetConnectionPicture},
        {QStringLiteral("program-icon.png"), ProgramIcon},
        {QStringLiteral("producer.png"), ProducerPicture},
        {QStringLiteral("alert.png"), AlertIcon},
        {QStringLiteral("warning.png"), WarningIcon},
        {QStringLiteral("notice.png"), NoticeIcon},
    };
    for (int i = 0; i < parts::kModelCount; ++i) {
        all.push_back({QStringLiteral("printer-%1.png").arg(i), [i] { return PrinterPicture(i); }});
    }
    for (const int side : kWindowIconSides) {
        all.push_back({QStringLiteral("window-icon-%1.png").arg(side),
                       [side] { return SquareProgramIcon(side); }});
    }
    all.push_back({QStringLiteral("back.png"), [] { return BackGlyph(true); }});
    all.push_back({QStringLiteral("back-disabled.png"), [] { return BackGlyph(false); }});
    all.push_back({QStringLiteral("next.png"), [] { return NextGlyph(true); }});
    all.push_back({QStringLiteral("next-disabled.png"), [] { return NextGlyph(false); }});
    return all;
}

}  // namespace draw
}  // namespace art
