// The two scenes: the collage of printers on the Welcome page and Producer at work.

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <array>

#include "tools/render-art/drawings/ArtDraw.h"
#include "tools/render-art/drawings/ArtKit.h"
#include "tools/render-art/drawings/ArtParts.h"

namespace art::draw {
using namespace art::kit;

namespace {

// Model indexes of the printers that the scenes show.
constexpr int kRx200 = 0;
constexpr int kMz4a = 3;
constexpr int kMz4b = 4;

void Printer(QPainter& p, int modelIndex, const QPointF& at, double scale) {
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    parts::PaintPrinter(p, modelIndex);
    p.restore();
}

// Something lying on the bench, turned by `degrees` about its top left corner.
template <typename Draw>
void Turned(QPainter& p, const QPointF& at, double degrees, Draw draw) {
    p.save();
    p.translate(at);
    p.rotate(degrees);
    draw();
    p.restore();
}

// The Producer window, maximised on the monitor, editing a tag layout.
void Screen(QPainter& p, const QRectF& s) {
    p.save();
    p.setClipRect(s);
    p.fillRect(s, QColor(0xf1, 0xf3, 0xf6));
    const QRectF title(s.left(), s.top(), s.width(), 11);
    QLinearGradient bar(title.topLeft(), title.bottomLeft());
    bar.setColorAt(0, kBlue);
    bar.setColorAt(1, kInk);
    p.fillRect(title, bar);
    p.setFont(Font(8, true));
    p.setPen(Qt::white);
    p.drawText(title.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Vormatic\u00AE Producer - Tags.lay"));
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRectF(s.right() - 9 - i * 8, s.top() + 2.5, 6, 6),
                   i == 0 ? QColor(0xe0, 0x52, 0x4a) : QColor(0x9f, 0xbd, 0xe8));
    }
    p.setFont(Font(7));
    p.setPen(QColor(0x33, 0x3a, 0x44));
    p.drawText(QRectF(s.left() + 4, s.top() + 11, s.width(), 9), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("File   Edit   View   Layout   Job   Setup   Help"));
    p.fillRect(QRectF(s.left(), s.top() + 20, s.width(), 10), QColor(0xe2, 0xe6, 0xec));
    const std::array<QColor, 8> tools{kBlue,
                                      QColor(0x3c, 0xa9, 0x4e),
                                      QColor(0xe0, 0x9a, 0x2a),
                                      kInk,
                                      QColor(0x8a, 0x93, 0x9e),
                                      QColor(0xd0, 0x4a, 0x4a),
                                      kLaser.darker(120),
                                      QColor(0x6a, 0x5a, 0xc8)};
    for (std::size_t i = 0; i < tools.size(); ++i) {
        Panel(p, QRectF(s.left() + 4 + static_cast<double>(i) * 9, s.top() + 21.5, 7, 7),
              tools.at(i).lighter(130), tools.at(i), tools.at(i).darker(140), 1.2);
    }
    // The field list on the left.
    const QRectF list(s.left(), s.top() + 30, 46, s.height() - 39);
    p.fillRect(list, Qt::white);
    p.setFont(Font(7, true));
    p.setPen(kInk);
    p.drawText(QRectF(list.left() + 3, list.top() + 1, 40, 9), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Fields"));
    p.setFont(Font(6));
    const std::array<const char*, 5> fields{"Code", "Text1", "Text2", "Barcode", "Logo"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const QRectF row(list.left() + 1, list.top() + 11 + static_cast<double>(i) * 9,
                         list.width() - 2, 8);
        if (i == 1) {
            p.fillRect(row, QColor(0xc4, 0xdb, 0xfa));
        }
        p.setPen(QColor(0x33, 0x3a, 0x44));
        p.drawText(row.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(fields.at(i)));
    }
    // The layout canvas with rulers, and the tag being designed.
    const QRectF canvas(list.right() + 1, list.top(), s.right() - list.right() - 1, list.height());
    p.fillRect(canvas, QColor(0xa7, 0xb0, 0xbb));
    p.fillRect(QRectF(canvas.left(), canvas.top(), canvas.width(), 5), QColor(0xfb, 0xfb, 0xf4));
    p.setPen(QPen(QColor(0x8a, 0x8f, 0x96), 0.6));
    for (double x = canvas.left() + 4; x < canvas.right(); x += 5) {
        p.drawLine(QPointF(x, canvas.top() + 2.5), QPointF(x, canvas.top() + 5));
    }
    const QRectF tag(canvas.center().x() - 62, canvas.center().y() - 21, 124, 44);
    p.fillRect(tag.translated(2, 2), QColor(0, 0, 0, 50));
    Panel(p, tag, QColor(0xfa, 0xe2, 0x6c), QColor(0xf1, 0xcc, 0x3a), QColor(0xb3, 0x8e, 0x1a), 7);
    p.setPen(QPen(QColor(0xb3, 0x8e, 0x1a), 0.8));
    p.setBrush(QColor(0xa7, 0xb0, 0xbb));
    p.drawEllipse(QPointF(tag.left() + 11, tag.center().y()), 4.5, 4.5);
    MatrixCode(p, QRectF(tag.left() + 22, tag.top() + 7, 30, 30), 81, 12);
    p.setPen(kMarked);
    p.setFont(Font(13, true));
    p.drawText(QRectF(tag.left() + 58, tag.top() + 4, 64, 17), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("QV-4417"));
    p.setFont(Font(9));
    p.drawText(QRectF(tag.left() + 58, tag.top() + 20, 64, 11), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("LOT 23  A-12"));
    BarCode(p, QRectF(tag.left() + 58, tag.top() + 32, 58, 7), 9);
    // The selected field, with its handles.
    const QRectF selected(tag.left() + 56, tag.top() + 4, 62, 17);
    p.setPen(QPen(kBlue, 0.8, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(selected);
    for (const QPointF& h :
         {selected.topLeft(), selected.topRight(), selected.bottomLeft(), selected.bottomRight()}) {
        p.fillRect(QRectF(h.x() - 1.5, h.y() - 1.5, 3, 3), kBlue);
    }
    // The status bar.
    const QRectF status(s.left(), s.bottom() - 9, s.width(), 9);
    p.fillRect(status, QColor(0xe2, 0xe6, 0xec));
    p.setFont(Font(6));
    p.setPen(QColor(0x33, 0x3a, 0x44));
    p.drawText(status.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("RX200 Tag Printer   COM1   Ready"));
    p.restore();
}

}  // namespace

QPixmap CollagePicture() {
    QPixmap pixmap = Canvas(254, 275);
    QPainter p(&pixmap);
    Prepare(p);
    QRadialGradient glow(QPointF(127, 150), 150);
    glow.setColorAt(0, kSky);
    glow.setColorAt(0.75, QColor(0xf0, 0xf6, 0xfe));
    glow.setColorAt(1, Qt::white);
    p.fillRect(pixmap.rect(), glow);

    Printer(p, kMz4a, QPointF(120, 2), 1.1);
    Printer(p, kRx200, QPointF(0, 36), 1.1);
    Printer(p, kMz4b, QPointF(4, 148), 1.05);

    // Marked work on the bench: slides, tags and cassettes.
    Turned(p, QPointF(128, 150), -9, [&p] { Slide(p, QRectF(0, 0, 96, 30), 71); });
    Turned(p, QPointF(124, 184), 5, [&p] { Slide(p, QRectF(0, 0, 96, 30), 72); });
    Turned(p, QPointF(178, 222), -14,
           [&p] { Tag(p, QRectF(0, 0, 66, 20), TagColours().at(2), 73); });
    Cassette(p, QRectF(120, 226, 44, 34), CassetteColours().at(1), 74);
    Cassette(p, QRectF(166, 238, 44, 34), CassetteColours().at(2), 75);
    Cassette(p, QRectF(212, 244, 38, 29), CassetteColours().at(4), 76);
    return pixmap;
}

QPixmap ProducerPicture() {
    QPixmap pixmap = Canvas(325, 241);
    QPainter p(&pixmap);
    Prepare(p);
    GroundShadow(p, QRectF(4, 184, 316, 52));
    // The cable from the PC to the printer, with data on its way.
    QPainterPath cable;
    cable.moveTo(140, 180);
    cable.cubicTo(170, 196, 200, 170, 236, 200);
    p.setPen(QPen(QColor(0x3b, 0x42, 0x4c), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);
    p.setPen(Qt::NoPen);
    for (const double t : {0.25, 0.45, 0.65}) {
        Led(p, cable.pointAtPercent(t), 1.4, kLaser);
    }
    // The monitor on its stand.
    QPolygonF neck;
    neck << QPointF(100, 154) << QPointF(126, 154) << QPointF(131, 178) << QPointF(95, 178);
    QLinearGradient steel(95, 0, 131, 0);
    steel.setColorAt(0, kSteel.darker(115));
    steel.setColorAt(0.4, kSteel.lighter(125));
    steel.setColorAt(1, kSteel.darker(125));
    p.setPen(QPen(kSteel.darker(160), 0.7));
    p.setBrush(steel);
    p.drawPolygon(neck);
    Panel(p, QRectF(62, 176, 102, 8), kSteel.lighter(120), kSteel.darker(120), kSteel.darker(160),
          4);
    Panel(p, QRectF(4, 2, 218, 154), QColor(0x4a, 0x52, 0x5e), QColor(0x1f, 0x24, 0x2b),
          QColor(0x15, 0x18, 0x1d), 7);
    Screen(p, QRectF(12, 10, 202, 134));
    Led(p, QPointF(212, 150), 1.2, QColor(0x3c, 0xd0, 0x4c));
    // The keyboard and the mouse.
    const QTransform board = Onto(QPointF(22, 200), QPointF(150, 0), QPointF(-10, 26));
    p.setPen(QPen(QColor(0x8a, 0x93, 0x9e), 0.8));
    p.setBrush(QColor(0xdf, 0xe4, 0xea));
    p.drawPolygon(board.map(QPolygonF(QRectF(0, 0, 1, 1))));
    p.setPen(QPen(QColor(0xa9, 0xb1, 0xbb), 0.4));
    p.setBrush(QColor(0xfb, 0xfc, 0xfd));
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 15; ++col) {
            const QRectF key(0.03 + col * 0.063, 0.1 + row * 0.21, 0.052, 0.16);
            p.drawPolygon(board.map(QPolygonF(key)));
        }
    }
    Panel(p, QRectF(182, 206, 14, 20), QColor(0xf4, 0xf6, 0xf8), QColor(0xc3, 0xca, 0xd2),
          QColor(0x8a, 0x93, 0x9e), 7);
    Printer(p, kRx200, QPointF(216, 122), 0.98);
    return pixmap;
}

}  // namespace art::draw
