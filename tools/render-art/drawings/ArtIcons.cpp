// The three message icons that the connection pages set beside a note: an alert (a red disc
// with an exclamation mark), a warning (an amber triangle with an exclamation mark) and a
// notice (a blue disc with a lower-case i).

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include "tools/render-art/drawings/ArtDraw.h"
#include "tools/render-art/drawings/ArtKit.h"

namespace art::draw {
using namespace art::kit;

namespace {

constexpr int kIconSide = 32;

// A glossy disc filling most of the icon, shaded from `base`.
void Disc(QPainter& p, const QColor& base) {
    const QRectF r(2, 2, 28, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(r.translated(0.8, 1.2));
    QRadialGradient fill(QPointF(12, 10), 20);
    fill.setColorAt(0, base.lighter(150));
    fill.setColorAt(0.6, base);
    fill.setColorAt(1, base.darker(135));
    p.setBrush(fill);
    p.setPen(QPen(base.darker(170), 1.0));
    p.drawEllipse(r);
    // A highlight across the upper half.
    QPainterPath shine;
    shine.addEllipse(QRectF(7, 4, 18, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawPath(shine);
}

// An exclamation mark centred on x = 16, from `top` to `bottom`.
void Exclamation(QPainter& p, double top, double bottom, const QColor& ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const double dot = 3.4;
    QPainterPath stroke;
    stroke.moveTo(14.1, top);
    stroke.lineTo(17.9, top);
    stroke.lineTo(17.0, bottom - dot - 2.4);
    stroke.lineTo(15.0, bottom - dot - 2.4);
    stroke.closeSubpath();
    p.drawPath(stroke);
    p.drawEllipse(QRectF(16 - dot / 2, bottom - dot, dot, dot));
}

}  // namespace

QPixmap AlertIcon() {
    QPixmap pixmap = Canvas(kIconSide, kIconSide);
    QPainter p(&pixmap);
    Prepare(p);
    Disc(p, QColor(0xd3, 0x2f, 0x2f));
    Exclamation(p, 7.5, 25, Qt::white);
    return pixmap;
}

QPixmap WarningIcon() {
    QPixmap pixmap = Canvas(kIconSide, kIconSide);
    QPainter p(&pixmap);
    Prepare(p);
    QPolygonF triangle;
    triangle << QPointF(16, 2.5) << QPointF(30.5, 28.5) << QPointF(1.5, 28.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPolygon(triangle.translated(0.8, 1.0));
    QLinearGradient fill(QPointF(16, 2), QPointF(16, 29));
    fill.setColorAt(0, QColor(0xff, 0xdf, 0x5e));
    fill.setColorAt(1, QColor(0xf2, 0xa9, 0x13));
    p.setBrush(fill);
    p.setPen(QPen(QColor(0x9a, 0x62, 0x00), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(triangle);
    Exclamation(p, 10, 26, QColor(0x2b, 0x22, 0x10));
    return pixmap;
}

QPixmap NoticeIcon() {
    QPixmap pixmap = Canvas(kIconSide, kIconSide);
    QPainter p(&pixmap);
    Prepare(p);
    Disc(p, kBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14.2, 6.8, 3.6, 3.6));
    QPainterPath stem;
    stem.moveTo(12.6, 13.0);
    stem.lineTo(17.8, 13.0);
    stem.lineTo(17.8, 23.0);
    stem.lineTo(19.6, 23.0);
    stem.lineTo(19.6, 25.2);
    stem.lineTo(12.4, 25.2);
    stem.lineTo(12.4, 23.0);
    stem.lineTo(14.2, 23.0);
    stem.lineTo(14.2, 15.2);
    stem.lineTo(12.6, 15.2);
    stem.closeSubpath();
    p.drawPath(stem);
    return pixmap;
}

}  // namespace art::draw
