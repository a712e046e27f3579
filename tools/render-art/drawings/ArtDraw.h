#pragma once
// The drawings behind the built-in pictures. They are the source of every picture: the wizard
// shows PNG copies of them compiled into the program (pages/art/rendered/, written by
// vormatic-render-art) and draws nothing itself. Each call draws afresh.

#include <QPixmap>
#include <QString>

#include <functional>
#include <vector>

namespace art::draw {

QPixmap TitlePicture();
QPixmap CollagePicture();
QPixmap SerialConnectionPicture();
QPixmap UsbConnectionPicture();
QPixmap EthernetConnectionPicture();
QPixmap ProgramIcon();
// The program icon centred on a transparent square, for the window and the Windows executable.
QPixmap SquareProgramIcon(int side);
inline constexpr int kWindowIconSides[] = {16, 24, 32, 48, 64, 256};
QPixmap ProducerPicture();
// 32 x 32 message icons: alert (red), warning (amber triangle), notice (blue).
QPixmap AlertIcon();
QPixmap WarningIcon();
QPixmap NoticeIcon();
// A null pixmap for an index outside 0..9.
QPixmap PrinterPicture(int modelIndex);
// The 16 x 16 arrows of the Back and Next buttons: green when `enabled`, grey when not.
QPixmap BackGlyph(bool enabled);
QPixmap NextGlyph(bool enabled);

// Where the rendered copies live among the program's resources.
inline constexpr char kResourceFolder[] = ":/art/";

// One picture and the file name of its rendered copy ("title.png", "printer-3.png", ...).
struct Drawing {
    QString file;
    std::function<QPixmap()> draw;
};
// Every picture that has a rendered copy.
std::vector<Drawing> AllDrawings();

}  // namespace art::draw
