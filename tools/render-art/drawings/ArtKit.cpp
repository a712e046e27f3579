#include "tools/render-art/drawings/ArtKit.h"

#include <algorithm>

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

namespace art::kit {
namespace {

// A small deterministic generator, so that every drawing of a code looks the same.
class Dice {
public:
    explicit Dice(unsigned seed) : state_(seed * 2654435761u + 0x9e3779b9u) {}
    unsigned Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 16;
    }
    bool Coin() { return (Next() & 1u) != 0; }

private:
    unsigned state_;
};

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

}  // namespace

void TextStrokes(QPainter& p, const QRectF& r, unsigned seed, int rows, const QColor& ink) {
    Dice dice(seed);
    const double rowH = r.height() / (rows * 2 - 1);
    QPainterPath path;
    for (int row = 0; row < rows; ++row) {
        double x = r.left();
        const double y = r.top() + row * 2 * rowH;
        const double end = r.right() - (row == rows - 1 ? r.width() * 0.3 : 0.0);
        while (x < end) {
            const double w = std::min(end - x, rowH * (0.7 + (dice.Next() % 3) * 0.35));
            path.addRect(QRectF(x, y, w, rowH));
            x += w + rowH * 0.45;
        }
    }
    p.fillPath(path, ink);
}

QPixmap Canvas(int w, int h, const QColor& fill) {
    QPixmap pixmap(w, h);
    pixmap.setDevicePixelRatio(1.0);
    pixmap.fill(fill);
    return pixmap;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont Font(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void Block(QPainter& p, const QRectF& front, double depth, const QColor& base) {
    const QPointF d(depth * 0.75, -depth * 0.6);
    const QColor edge = base.darker(165);
    p.save();
    p.setPen(QPen(edge, 0.7));

    QPolygonF top;
    top << front.topLeft() << front.topRight() << front.topRight() + d << front.topLeft() + d;
    QLinearGradient topShade(front.topLeft() + d, front.topLeft());
    topShade.setColorAt(0, base.lighter(112));
    topShade.setColorAt(1, base.lighter(104));
    p.setBrush(topShade);
    p.drawPolygon(top);

    QPolygonF side;
    side << front.topRight() << front.bottomRight() << front.bottomRight() + d
         << front.topRight() + d;
    p.setBrush(base.darker(122));
    p.drawPolygon(side);

    QLinearGradient frontShade(front.topLeft(), front.bottomLeft());
    frontShade.setColorAt(0, base.lighter(103));
    frontShade.setColorAt(1, base.darker(108));
    p.setBrush(frontShade);
    p.drawRect(front);
    p.restore();
}

void Panel(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom,
           const QColor& edge, double radius) {
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    p.save();
    p.setPen(edge.alpha() == 0 ? QPen(Qt::NoPen) : QPen(edge, 0.8));
    p.setBrush(shade);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

void GroundShadow(QPainter& p, const QRectF& r) {
    QRadialGradient shade(r.center(), r.width() / 2);
    shade.setColorAt(0, QColor(0, 20, 60, 70));
    shade.setColorAt(1, QColor(0, 20, 60, 0));
    p.save();
    p.translate(r.center());
    p.scale(1.0, r.height() / r.width());
    p.translate(-r.center());
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(QRectF(r.left(), r.center().y() - r.width() / 2, r.width(), r.width()));
    p.restore();
}

void Window(QPainter& p, const QRectF& r, double radius) {
    Panel(p, r, QColor(0x55, 0x66, 0x7c), QColor(0x22, 0x2b, 0x38), QColor(0x1a, 0x20, 0x28),
          radius);
    p.save();
    QPainterPath glare;
    glare.moveTo(r.left() + r.width() * 0.12, r.top() + 1);
    glare.lineTo(r.left() + r.width() * 0.38, r.top() + 1);
    glare.lineTo(r.left() + r.width() * 0.22, r.bottom() - 1);
    glare.lineTo(r.left() + r.width() * 0.04, r.bottom() - 1);
    glare.closeSubpath();
    p.fillPath(glare, QColor(255, 255, 255, 38));
    p.restore();
}

void Led(QPainter& p, const QPointF& c, double radius, const QColor& colour) {
    QRadialGradient glow(c, radius * 2.2);
    glow.setColorAt(0, WithAlpha(colour, 120));
    glow.setColorAt(1, WithAlpha(colour, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, radius * 2.2, radius * 2.2);
    QRadialGradient body(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.2);
    body.setColorAt(0, colour.lighter(170));
    body.setColorAt(1, colour);
    p.setBrush(body);
    p.setPen(QPen(colour.darker(150), 0.5));
    p.drawEllipse(c, radius, radius);
    p.restore();
}

void Label(QPainter& p, const QRectF& r, const QString& text, int pixelSize, const QColor& colour,
           bool bold) {
    p.save();
    p.setFont(Font(pixelSize, bold));
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void MatrixCode(QPainter& p, const QRectF& r, unsigned seed, int modules, const QColor& ink) {
    Dice dice(seed);
    const double m = std::min(r.width(), r.height()) / modules;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (int row = 0; row < modules; ++row) {
        for (int col = 0; col < modules; ++col) {
            const bool finder = col == 0 || row == modules - 1;
            const bool clock = (row == 0 && col % 2 == 0) || (col == modules - 1 && row % 2 == 1);
            const bool inner = row > 0 && col < modules - 1 && !finder;
            if (finder || clock || (inner && dice.Coin())) {
                path.addRect(QRectF(r.left() + col * m, r.top() + row * m, m, m));
            }
        }
    }
    p.fillPath(path, ink);
}

void BarCode(QPainter& p, const QRectF& r, unsigned seed, const QColor& ink) {
    Dice dice(seed);
    QPainterPath path;
    const double unit = std::max(0.5, r.width() / 40.0);
    double x = r.left();
    bool bar = true;
    while (x < r.right()) {
        const double w = unit * (1 + dice.Next() % 3);
        if (bar) {
            path.addRect(QRectF(x, r.top(), std::min(w, r.right() - x), r.height()));
        }
        x += w;
        bar = !bar;
    }
    p.fillPath(path, ink);
}

void Beam(QPainter& p, const QPointF& from, const QPointF& to, double width) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(WithAlpha(kLaser, 45), width * 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(WithAlpha(kLaser, 130), width * 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(QColor(235, 253, 255), width * 0.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    QRadialGradient spot(to, width * 4.5);
    spot.setColorAt(0, QColor(255, 255, 255, 255));
    spot.setColorAt(0.3, WithAlpha(kLaser, 220));
    spot.setColorAt(1, WithAlpha(kLaser, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(spot);
    p.drawEllipse(to, width * 4.5, width * 4.5);
    p.restore();
}

void Lcd(QPainter& p, const QRectF& r) {
    Panel(p, r.adjusted(-1, -1, 1, 1), QColor(0x4a, 0x51, 0x5c), QColor(0x2c, 0x31, 0x38),
          QColor(0x22, 0x26, 0x2c), 1.5);
    Panel(p, r, QColor(0xb9, 0xdc, 0xa0), QColor(0x8c, 0xbf, 0x76), QColor(0x5d, 0x84, 0x4e), 0.8);
    const double pad = std::max(1.2, r.height() * 0.18);
    TextStrokes(p, r.adjusted(pad, pad, -pad, -pad), 3u, r.height() > 9 ? 2 : 1,
                QColor(0x2d, 0x44, 0x26));
}

void LaserHead(QPainter& p, const QPointF& tip, double width) {
    const QRectF body(tip.x() - width / 2, tip.y() - width * 1.4, width, width);
    Panel(p, body, kSteel.lighter(120), kSteel.darker(115), kSteel.darker(170), width * 0.15);
    QPolygonF nozzle;
    nozzle << QPointF(body.left() + width * 0.2, body.bottom())
           << QPointF(body.right() - width * 0.2, body.bottom())
           << QPointF(tip.x() + width * 0.1, tip.y()) << QPointF(tip.x() - width * 0.1, tip.y());
    p.save();
    p.setPen(QPen(kSteel.darker(180), 0.5));
    p.setBrush(kSteel.darker(125));
    p.drawPolygon(nozzle);
    p.restore();
}

void Badge(QPainter& p, const QRectF& r, const QString& text, const QColor& colour) {
    p.save();
    QFont font = Font(static_cast<int>(r.height()), true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.2);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

}  // namespace art::kit
