#pragma once
// Drawing helpers shared by the built-in pictures: the palette, blank canvases, shaded boxes and
// the marked items (tags, cassettes, slides, codes) that several pictures show.

#include <QColor>
#include <QFont>
#include <QList>
#include <QPainter>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

namespace art::kit {

// The palette: a blue product line on white, light grey casings, laser cyan.
inline const QColor kInk{0x17, 0x3f, 0x86};       // lettering, dark accents
inline const QColor kBlue{0x2a, 0x6c, 0xd0};      // product blue
inline const QColor kSky{0xd9, 0xe8, 0xfb};       // pale blue backdrops
inline const QColor kCasing{0xe9, 0xed, 0xf2};    // printer casings
inline const QColor kSteel{0xa9, 0xb3, 0xbf};     // metal parts
inline const QColor kCharcoal{0x3b, 0x42, 0x4c};  // dark casings, windows
inline const QColor kLaser{0x1e, 0xd4, 0xff};     // the marking beam
inline const QColor kMarked{0x1c, 0x22, 0x2b};    // laser-marked codes

// The colours in which tags and cassettes come.
const QList<QColor>& TagColours();
const QList<QColor>& CassetteColours();

// Maps the unit square onto the parallelogram with corner `origin` and sides `u` and `v`.
inline QTransform Onto(const QPointF& origin, const QPointF& u, const QPointF& v) {
    return QTransform(u.x(), u.y(), v.x(), v.y(), origin.x(), origin.y());
}

// A white pixmap of exactly w x h device pixels (device pixel ratio 1).
QPixmap Canvas(int w, int h, const QColor& fill = Qt::white);
// Antialiased painting of shapes, text and scaled pixmaps.
void Prepare(QPainter& p);
// "Liberation Sans" at a pixel size.
QFont Font(int pixelSize, bool bold = false);

// A box seen from the front and a little from above and the right: the front face `front`, a top
// face `depth` deep and a right side face, shaded from `base`.
void Block(QPainter& p, const QRectF& front, double depth, const QColor& base);
// A rounded rectangle filled top to bottom from `top` to `bottom`, outlined in `edge`.
void Panel(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom,
           const QColor& edge, double radius = 2.0);
// A soft elliptic shadow under an object standing on the ground.
void GroundShadow(QPainter& p, const QRectF& r);
// A tinted glass window with a highlight.
void Window(QPainter& p, const QRectF& r, double radius = 1.5);
// A status light.
void Led(QPainter& p, const QPointF& c, double radius, const QColor& colour);
// Text centred in `r`.
void Label(QPainter& p, const QRectF& r, const QString& text, int pixelSize, const QColor& colour,
           bool bold = true);

// A small green display with a few lines of text on it.
void Lcd(QPainter& p, const QRectF& r);
// The marking head: a steel nozzle whose tip is at `tip`.
void LaserHead(QPainter& p, const QPointF& tip, double width);
// A model name plate: small bold text in `colour` on the casing.
void Badge(QPainter& p, const QRectF& r, const QString& text, const QColor& colour = kInk);
// What a magazine holds.
enum class Load { Tags, Cassettes, Slides };
// A see-through magazine window holding a stack of `count` items seen edge on, in the colours
// `colours` (cycled).
void Stack(QPainter& p, const QRectF& r, const QList<QColor>& colours, int count,
           Load load = Load::Tags);

// Rows of short dark strokes that read as printed text where real letters would be too small.
void TextStrokes(QPainter& p, const QRectF& r, unsigned seed, int rows, const QColor& ink);
// A 2D matrix code with its L finder pattern; `seed` chooses the modules.
void MatrixCode(QPainter& p, const QRectF& r, unsigned seed, int modules = 10,
                const QColor& ink = kMarked);
// A linear bar code; `seed` chooses the bars.
void BarCode(QPainter& p, const QRectF& r, unsigned seed, const QColor& ink = kMarked);
// A glowing laser beam from `from` to `to`, with a bright spot where it lands.
void Beam(QPainter& p, const QPointF& from, const QPointF& to, double width = 1.2);

// A plastic tag (rounded, with a hanging hole) lying in `r`, marked with text and a code.
void Tag(QPainter& p, const QRectF& r, const QColor& colour, unsigned seed, bool marked = true);
// A tissue cassette seen from the front: a slanted writing face on top of a grid box, `r` wide
// and high; the face carries a code when `marked`.
void Cassette(QPainter& p, const QRectF& r, const QColor& colour, unsigned seed,
              bool marked = true);
// A glass slide lying flat in `r` (long side horizontal) with a frosted end marked with a code.
void Slide(QPainter& p, const QRectF& r, unsigned seed, bool marked = true);
// A glass ampule standing in `r`: body, neck and tip, with a marked band when `marked`.
void Ampule(QPainter& p, const QRectF& r, bool marked = true);

}  // namespace art::kit
