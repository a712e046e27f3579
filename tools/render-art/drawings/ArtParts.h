#pragma once
// The pieces of the built-in pictures that one picture borrows from another: the printers are
// drawn by model and reused, scaled, in the collage and the Producer picture.

#include <QPainter>
#include <QSize>

namespace art::parts {

inline constexpr int kModelCount = 10;

// The picture size of model `modelIndex` (0..9); an empty size for any other index.
QSize PrinterSize(int modelIndex);
// Paints model `modelIndex` into the rectangle (0, 0, PrinterSize(modelIndex)) of `p`.
void PaintPrinter(QPainter& p, int modelIndex);

// The printers, one function each, split between ArtTagPrinters.cpp and ArtLabPrinters.cpp.
void PaintRx200(QPainter& p);
void PaintRx6xx(QPainter& p);
void PaintRx200w(QPainter& p);
void PaintNb520(QPainter& p);
void PaintRx8xx(QPainter& p);
void PaintMz4a(QPainter& p);
void PaintMz4b(QPainter& p);
void PaintVf5q(QPainter& p);
void PaintMz4e(QPainter& p);
void PaintMz4a2(QPainter& p);

// The program icon drawn into `box`, keeping its 33 x 41 proportions.
void PaintProgramIcon(QPainter& p, const QRectF& box);

}  // namespace art::parts
