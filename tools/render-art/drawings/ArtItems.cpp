// The marked items that the pictures show: tags, cassettes, slides and ampules, and the
// magazines that hold them.

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

#include "tools/render-art/drawings/ArtKit.h"

namespace art::kit {
namespace {

// Marked text filling `r` where it is big enough to read, text strokes where it is not.
void MarkedText(QPainter& p, const QRectF& r, const QString& text, unsigned seed) {
    const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
    const QFont font = Font(static_cast<int>(r.height() * 0.85 / lines), true);
    const QRectF needed =
        QFontMetricsF(font).boundingRect(QRectF(0, 0, 1000, 1000), Qt::AlignLeft, text);
    if (font.pixelSize() >= 7 && needed.width() <= r.width()) {
        p.save();
        p.setFont(font);
        p.setPen(kMarked);
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
        p.restore();
    } else if (r.width() > 2 && r.height() > 1) {
        TextStrokes(p, r, seed, std::max(lines, 2), kMarked);
    }
}

}  // namespace

const QList<QColor>& TagColours() {
    static const QList<QColor> colours{QColor(0xf3, 0xf3, 0xee), QColor(0xf5, 0xd5, 0x47),
                                       QColor(0x6f, 0xa8, 0xe8), QColor(0x7c, 0xc4, 0x7f),
                                       QColor(0xf2, 0x9b, 0x4b), QColor(0xee, 0x8f, 0xb5)};
    return colours;
}

const QList<QColor>& CassetteColours() {
    static const QList<QColor> colours{
        QColor(0xf4, 0xf4, 0xef), QColor(0xf6, 0xd9, 0x4a), QColor(0xf2, 0x9c, 0xc0),
        QColor(0x86, 0xcc, 0x7e), QColor(0x73, 0xa9, 0xea), QColor(0xb9, 0x9a, 0xe0),
        QColor(0xf4, 0xa0, 0x4f), QColor(0x6f, 0xd3, 0xcf), QColor(0xb5, 0xbb, 0xc2),
        QColor(0xf7, 0xc4, 0xa0), QColor(0xc4, 0xe2, 0x58), QColor(0xd6, 0xb9, 0x8c)};
    return colours;
}

void Tag(QPainter& p, const QRectF& r, const QColor& colour, unsigned seed, bool marked) {
    const double radius = std::min(r.height() * 0.3, 4.0);
    Panel(p, r, colour.lighter(118), colour.darker(104), colour.darker(150), radius);
    const double hole = r.height() * 0.16;
    const QPointF holeCentre(r.left() + r.height() * 0.34, r.center().y());
    p.save();
    p.setPen(QPen(colour.darker(160), 0.6));
    p.setBrush(Qt::white);
    p.drawEllipse(holeCentre, hole, hole);
    if (marked) {
        const double pad = r.height() * 0.18;
        const QRectF code(r.left() + r.height() * 0.62, r.top() + pad, r.height() - 2 * pad,
                          r.height() - 2 * pad);
        MatrixCode(p, code, seed, 8);
        const QRectF text(code.right() + pad, code.top() + code.height() * 0.1,
                          r.right() - code.right() - 2 * pad, code.height() * 0.8);
        MarkedText(p, text, QStringLiteral("QV-%1").arg(4100 + seed % 900), seed);
    }
    p.restore();
}

void Cassette(QPainter& p, const QRectF& r, const QColor& colour, unsigned seed, bool marked) {
    const double faceH = r.height() * 0.48;
    const QColor edge = colour.darker(170);
    p.save();
    // The grid box below the slanted face.
    const QRectF box(r.left() + r.width() * 0.04, r.top() + faceH, r.width() * 0.92,
                     r.height() - faceH);
    Panel(p, box, colour.darker(112), colour.darker(125), edge, 0.8);
    p.setPen(QPen(colour.darker(175), std::max(0.6, box.height() * 0.09)));
    const int lines = box.height() > 12 ? 4 : 2;
    for (int i = 1; i <= lines; ++i) {
        const double y = box.top() + box.height() * i / (lines + 1);
        p.drawLine(QPointF(box.left() + box.width() * 0.12, y),
                   QPointF(box.right() - box.width() * 0.12, y));
    }
    // The slanted writing face, lit from above.
    QPolygonF face;
    face << QPointF(r.left() + r.width() * 0.06, r.top())
         << QPointF(r.right() - r.width() * 0.06, r.top()) << QPointF(r.right(), r.top() + faceH)
         << QPointF(r.left(), r.top() + faceH);
    QLinearGradient lit(r.topLeft(), QPointF(r.left(), r.top() + faceH));
    lit.setColorAt(0, colour.lighter(125));
    lit.setColorAt(1, colour.lighter(104));
    p.setPen(QPen(edge, 0.7));
    p.setBrush(lit);
    p.drawPolygon(face);
    if (marked) {
        const double pad = faceH * 0.16;
        const QRectF code(r.left() + r.width() * 0.12, r.top() + pad, faceH - 2 * pad,
                          faceH - 2 * pad);
        MatrixCode(p, code, seed, 8);
        const QRectF text(code.right() + pad * 1.5, code.top() + code.height() * 0.05,
                          r.right() - r.width() * 0.12 - code.right() - pad * 1.5,
                          code.height() * 0.9);
        MarkedText(p, text,
                   QStringLiteral("S%1-%2\nA%3")
                       .arg(21 + seed % 4)
                       .arg(1200 + seed % 800)
                       .arg(seed % 9 + 1),
                   seed);
    }
    p.restore();
}

void Slide(QPainter& p, const QRectF& r, unsigned seed, bool marked) {
    p.save();
    QLinearGradient glass(r.topLeft(), r.bottomRight());
    glass.setColorAt(0, QColor(0xe6, 0xf3, 0xf6, 235));
    glass.setColorAt(0.5, QColor(0xc9, 0xe2, 0xe8, 235));
    glass.setColorAt(1, QColor(0xdc, 0xee, 0xf1, 235));
    p.setPen(QPen(QColor(0x7f, 0xa3, 0xad), 0.7));
    p.setBrush(glass);
    p.drawRect(r);
    // The frosted marking end.
    const QRectF frost(r.left() + 0.6, r.top() + 0.6, r.width() * 0.3, r.height() - 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf7, 0xf8, 0xf8));
    p.drawRect(frost);
    // A stained section in the middle of the glass.
    const QRectF tissue(r.left() + r.width() * 0.5, r.top() + r.height() * 0.25, r.width() * 0.3,
                        r.height() * 0.5);
    p.setBrush(QColor(0xc8, 0x5a, 0x9a, 110));
    p.drawEllipse(tissue);
    p.setPen(QPen(QColor(255, 255, 255, 170), 0.8));
    p.drawLine(QPointF(frost.right() + 2, r.top() + 1.2), QPointF(r.right() - 1.5, r.top() + 1.2));
    if (marked) {
        const double pad = std::max(1.0, frost.height() * 0.14);
        const double side = std::min(frost.height() - 2 * pad, frost.width() * 0.55);
        const QRectF code(frost.left() + pad, frost.top() + pad, side, side);
        MatrixCode(p, code, seed, 8);
        const QRectF text(frost.left() + pad, code.bottom() + pad * 0.7, frost.width() - 2 * pad,
                          frost.bottom() - code.bottom() - pad * 1.4);
        if (text.height() > 1.5) {
            TextStrokes(p, text, seed, text.height() > 5 ? 2 : 1, kMarked);
        }
    }
    p.restore();
}

void Ampule(QPainter& p, const QRectF& r, bool marked) {
    const double w = r.width();
    const double cx = r.center().x();
    const double neckW = w * 0.34;
    const double bodyTop = r.top() + r.height() * 0.42;
    QPainterPath glass;
    glass.moveTo(cx - w / 2, r.bottom() - w * 0.2);
    glass.lineTo(cx - w / 2, bodyTop + w * 0.35);
    glass.cubicTo(cx - w / 2, bodyTop, cx - neckW / 2, bodyTop, cx - neckW / 2,
                  bodyTop - r.height() * 0.1);
    // The bulb above the neck, then the sealed tip.
    const double bulbY = r.top() + r.height() * 0.22;
    glass.cubicTo(cx - w * 0.42, bulbY + r.height() * 0.06, cx - w * 0.42, bulbY, cx - neckW * 0.35,
                  r.top() + r.height() * 0.08);
    glass.lineTo(cx - neckW * 0.2, r.top());
    glass.lineTo(cx + neckW * 0.2, r.top());
    glass.lineTo(cx + neckW * 0.35, r.top() + r.height() * 0.08);
    glass.cubicTo(cx + w * 0.42, bulbY, cx + w * 0.42, bulbY + r.height() * 0.06, cx + neckW / 2,
                  bodyTop - r.height() * 0.1);
    glass.cubicTo(cx + neckW / 2, bodyTop, cx + w / 2, bodyTop, cx + w / 2, bodyTop + w * 0.35);
    glass.lineTo(cx + w / 2, r.bottom() - w * 0.2);
    glass.quadTo(cx + w / 2, r.bottom(), cx, r.bottom());
    glass.quadTo(cx - w / 2, r.bottom(), cx - w / 2, r.bottom() - w * 0.2);
    glass.closeSubpath();

    p.save();
    QLinearGradient shine(r.left(), 0, r.right(), 0);
    shine.setColorAt(0, QColor(0xb9, 0xd3, 0xdc, 230));
    shine.setColorAt(0.3, QColor(0xf6, 0xfc, 0xfd, 240));
    shine.setColorAt(1, QColor(0x9f, 0xbe, 0xc9, 230));
    p.setPen(QPen(QColor(0x6d, 0x8d, 0x99), 0.7));
    p.setBrush(shine);
    p.drawPath(glass);
    // The liquid, clipped to the glass.
    p.setClipPath(glass);
    const QRectF liquid(r.left(), bodyTop + r.height() * 0.08, w, r.bottom() - bodyTop);
    QLinearGradient amber(liquid.left(), 0, liquid.right(), 0);
    amber.setColorAt(0, QColor(0xe3, 0xa1, 0x3c, 150));
    amber.setColorAt(0.35, QColor(0xf8, 0xd3, 0x8a, 150));
    amber.setColorAt(1, QColor(0xc8, 0x80, 0x22, 160));
    p.fillRect(liquid, amber);
    p.setClipping(false);
    if (marked) {
        const QRectF band(cx - w * 0.36, bodyTop + r.height() * 0.16, w * 0.72, r.height() * 0.26);
        TextStrokes(p, band, 7u + static_cast<unsigned>(r.left()), 3, kMarked);
    }
    p.setPen(QPen(QColor(255, 255, 255, 200), std::max(0.6, w * 0.08)));
    p.drawLine(QPointF(cx - w * 0.3, bodyTop + w * 0.4),
               QPointF(cx - w * 0.3, r.bottom() - w * 0.3));
    p.restore();
}

void Stack(QPainter& p, const QRectF& r, const QList<QColor>& colours, int count, Load load) {
    p.save();
    Panel(p, r, QColor(0xf4, 0xf8, 0xfc), QColor(0xdb, 0xe5, 0xef), kSteel.darker(140), 1.0);
    const double inset = std::min(1.5, r.width() * 0.15);
    const QRectF inner = r.adjusted(inset, inset, -inset, -inset);
    const double pitch = inner.height() / count;
    for (int i = 0; i < count; ++i) {
        const QRectF item(inner.left(), inner.bottom() - (i + 1) * pitch, inner.width(),
                          pitch * 0.78);
        const QColor c = colours.at(i % colours.size());
        switch (load) {
            case Load::Tags:
                p.fillRect(item, c);
                p.fillRect(
                    QRectF(item.left(), item.bottom() - pitch * 0.22, item.width(), pitch * 0.22),
                    c.darker(135));
                break;
            case Load::Cassettes:
                // The lit slanted face over the darker grid box.
                p.fillRect(QRectF(item.left(), item.top(), item.width(), item.height() * 0.55),
                           c.lighter(112));
                p.fillRect(
                    QRectF(item.left() + item.width() * 0.06, item.top() + item.height() * 0.55,
                           item.width() * 0.88, item.height() * 0.45),
                    c.darker(128));
                break;
            case Load::Slides:
                p.fillRect(item, c);
                p.fillRect(QRectF(item.left(), item.top(), item.width() * 0.32, item.height()),
                           QColor(0xfb, 0xfb, 0xfb));
                p.fillRect(
                    QRectF(item.left(), item.bottom() - pitch * 0.18, item.width(), pitch * 0.18),
                    c.darker(150));
                break;
        }
    }
    // The glass front of the magazine.
    QLinearGradient glare(r.topLeft(), r.topRight());
    glare.setColorAt(0, QColor(255, 255, 255, 0));
    glare.setColorAt(0.25, QColor(255, 255, 255, 90));
    glare.setColorAt(0.45, QColor(255, 255, 255, 0));
    p.fillRect(inner, glare);
    p.restore();
}

}  // namespace art::kit
