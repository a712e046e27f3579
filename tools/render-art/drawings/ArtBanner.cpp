// The title banner, the program icon and the arrows of the Back and Next buttons.

#include <QConicalGradient>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>

#include "tools/render-art/drawings/ArtDraw.h"
#include "tools/render-art/drawings/ArtKit.h"
#include "tools/render-art/drawings/ArtParts.h"

namespace art {
using namespace art::kit;

namespace parts {

void PaintProgramIcon(QPainter& p, const QRectF& box) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 33.0, box.height() / 41.0);
    // The disc behind the printer.
    const QPointF centre(16.5, 13);
    QConicalGradient sheen(centre, 30);
    sheen.setColorAt(0.0, QColor(0x9c, 0xc2, 0xf2));
    sheen.setColorAt(0.15, QColor(0xf4, 0xf8, 0xff));
    sheen.setColorAt(0.4, QColor(0x4f, 0x8c, 0xe0));
    sheen.setColorAt(0.6, QColor(0xd9, 0xf4, 0xfb));
    sheen.setColorAt(0.8, QColor(0x6a, 0x9e, 0xe6));
    sheen.setColorAt(1.0, QColor(0x9c, 0xc2, 0xf2));
    p.setPen(QPen(kInk, 0.9));
    p.setBrush(sheen);
    p.drawEllipse(centre, 12.5, 12.5);
    p.setPen(QPen(kBlue, 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 3.2, 3.2);
    // The printer, a beam from its head, and a marked tag leaving it.
    Block(p, QRectF(2.5, 23, 24, 15), 6, kCasing);
    p.fillRect(QRectF(2.5, 23, 24, 2.2), kBlue);
    Window(p, QRectF(5, 27, 12, 6.5), 0.8);
    Led(p, QPointF(21.5, 29), 1.1, QColor(0x3c, 0xd0, 0x4c));
    Beam(p, QPointF(11, 27.5), QPointF(10, 32), 0.6);
    Tag(p, QRectF(4.5, 35, 15, 5.5), QColor(0xf5, 0xd5, 0x47), 2);
    p.restore();
}

}  // namespace parts

namespace draw {
namespace {

// An arrow in a 16 x 16 glyph, pointing right or left; `enabled` chooses green or grey.
QPixmap Arrow(bool pointsRight, bool enabled) {
    QPixmap pixmap = Canvas(16, 16, Qt::transparent);
    QPainter p(&pixmap);
    Prepare(p);
    if (!pointsRight) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath arrow;
    arrow.moveTo(1.5, 5.5);
    arrow.lineTo(6.5, 5.5);
    arrow.lineTo(6.5, 1.5);
    arrow.lineTo(14.5, 8);
    arrow.lineTo(6.5, 14.5);
    arrow.lineTo(6.5, 10.5);
    arrow.lineTo(1.5, 10.5);
    arrow.closeSubpath();
    QLinearGradient fill(0, 1, 0, 15);
    fill.setColorAt(0, enabled ? QColor(0x7d, 0xe0, 0x6e) : QColor(0xd8, 0xd8, 0xd8));
    fill.setColorAt(1, enabled ? QColor(0x1f, 0x93, 0x2b) : QColor(0x9c, 0x9c, 0x9c));
    p.setPen(QPen(enabled ? QColor(0x12, 0x5e, 0x1a) : QColor(0x80, 0x80, 0x80), 1.0, Qt::SolidLine,
                  Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPath(arrow);
    return pixmap;
}

}  // namespace

QPixmap TitlePicture() {
    QPixmap pixmap = Canvas(600, 73);
    QPainter p(&pixmap);
    Prepare(p);
    // A pale blue sweep behind the right half, fading into the white page.
    QLinearGradient sweep(260, 0, 600, 0);
    sweep.setColorAt(0, QColor(255, 255, 255));
    sweep.setColorAt(1, kSky);
    QPainterPath wave;
    wave.moveTo(260, 73);
    wave.cubicTo(380, 73, 430, 8, 600, 4);
    wave.lineTo(600, 73);
    wave.closeSubpath();
    p.fillPath(wave, sweep);

    const QFont bold = Font(36, true);
    const QFont mark = Font(15, true);
    const QFontMetricsF boldMetrics(bold);
    const double baseline = 44;
    double x = 18;
    p.setFont(bold);
    p.setPen(kInk);
    p.drawText(QPointF(x, baseline), QStringLiteral("Vormatic"));
    x += boldMetrics.horizontalAdvance(QStringLiteral("Vormatic")) + 1;
    p.setFont(mark);
    p.drawText(QPointF(x, baseline - 20), QStringLiteral("\u00AE"));
    x += QFontMetricsF(mark).horizontalAdvance(QStringLiteral("\u00AE")) + 8;
    p.setFont(bold);
    p.setPen(kBlue);
    p.drawText(QPointF(x, baseline), QStringLiteral("Installer"));
    const double textEnd = x + boldMetrics.horizontalAdvance(QStringLiteral("Installer"));

    // A two-line caption at the right edge.
    const QFont small = Font(12);
    const QString captions[2] = {QStringLiteral("Setup for laser marking printers"),
                                 QStringLiteral("and Vormatic\u00AE Producer")};
    const double captionWidth = std::max(QFontMetricsF(small).horizontalAdvance(captions[0]),
                                         QFontMetricsF(small).horizontalAdvance(captions[1]));
    const double captionLeft = 584 - captionWidth;
    p.setFont(small);
    p.setPen(QColor(0x4d, 0x63, 0x85));
    p.drawText(QPointF(584 - QFontMetricsF(small).horizontalAdvance(captions[0]), 27), captions[0]);
    p.drawText(QPointF(584 - QFontMetricsF(small).horizontalAdvance(captions[1]), 43), captions[1]);

    // The laser writes the rule under the lettering: marked up to the spot, a guide beyond.
    const double ruleY = 57;
    const double spotX = std::max(textEnd + 20, captionLeft - 44);
    QLinearGradient marked(18, 0, spotX, 0);
    marked.setColorAt(0, kInk);
    marked.setColorAt(0.85, kBlue);
    marked.setColorAt(1, kLaser);
    p.setPen(QPen(QBrush(marked), 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(18, ruleY), QPointF(spotX, ruleY));
    p.setPen(QPen(QColor(0xb4, 0xc4, 0xd8), 1.2, Qt::DotLine));
    p.drawLine(QPointF(spotX + 6, ruleY), QPointF(584, ruleY));

    // The marking head above the spot, its beam and a few sparks.
    const QPointF tip(spotX + 14, 22);
    Panel(p, QRectF(tip.x() - 9, 3, 18, 13), QColor(0x4f, 0x7f, 0xc9), kInk, kInk.darker(130), 2.5);
    LaserHead(p, tip, 8);
    Beam(p, tip, QPointF(spotX, ruleY), 1.3);
    p.setPen(QPen(QColor(0xc8, 0xf6, 0xff), 0.9, Qt::SolidLine, Qt::RoundCap));
    for (const QPointF& spark :
         {QPointF(-7, -4), QPointF(-4, -8), QPointF(6, -5), QPointF(9, -1), QPointF(-9, 1)}) {
        p.drawLine(QPointF(spotX, ruleY) + spark * 0.5, QPointF(spotX, ruleY) + spark);
    }
    return pixmap;
}

QPixmap ProgramIcon() {
    QPixmap pixmap = Canvas(33, 41, Qt::transparent);
    QPainter p(&pixmap);
    Prepare(p);
    parts::PaintProgramIcon(p, QRectF(0, 0, 33, 41));
    return pixmap;
}

QPixmap SquareProgramIcon(int side) {
    QPixmap pixmap = Canvas(side, side, Qt::transparent);
    QPainter p(&pixmap);
    Prepare(p);
    const double w = side * 33.0 / 41.0;
    parts::PaintProgramIcon(p, QRectF((side - w) / 2, 0, w, side));
    return pixmap;
}

QPixmap BackGlyph(bool enabled) {
    return Arrow(false, enabled);
}
QPixmap NextGlyph(bool enabled) {
    return Arrow(true, enabled);
}

}  // namespace draw
}  // namespace art
