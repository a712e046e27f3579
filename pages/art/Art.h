#pragma once
// The built-in pictures: PNG copies compiled into the program (pages/art/rendered/, written by
// tools/render-art from its drawings), read once on first use and kept.

#include <QIcon>
#include <QPixmap>

namespace art {

QPixmap TitlePicture();               // 600 x 73: the product title banner
QString TitlePictureText();           // what the title banner reads, for screen readers
QPixmap CollagePicture();             // 254 x 275: a collage of marking printers
QPixmap SerialConnectionPicture();    // 100 x 100: a serial (DB-9) cable
QPixmap UsbConnectionPicture();       // 100 x 100: a USB cable
QPixmap EthernetConnectionPicture();  // 100 x 100: a network connection
QPixmap ProgramIcon();                // 33 x 41: the program icon
QPixmap ProducerPicture();            // 325 x 241: Producer at work
QPixmap AlertIcon();                  // 32 x 32: a red disc with an exclamation mark
QPixmap WarningIcon();                // 32 x 32: an amber triangle with an exclamation mark
QPixmap NoticeIcon();                 // 32 x 32: a blue disc with an "i"
// The printer of model index 0..9 in the model page's order (RX200 tag, RX6XX tag, RX200W
// plate, MZ4-A cassette, MZ4-B slide, VF5Q ampule, MZ4-E drawer, MZ4-A2 cassette, NB520 tag,
// RX8XX tag); 83..116 wide, 91..126 high.
QPixmap PrinterPicture(int modelIndex);
// Glyphs of the Back and Next buttons, with their enabled and disabled images.
QIcon BackGlyph();
QIcon NextGlyph();
QIcon WindowIcon();

}  // namespace art
