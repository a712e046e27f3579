#pragma once
// The sheets of a page control whose texts run down the sheet: each label is as high as its
// wrapped text needs and the next one starts below it.

#include <QPixmap>
#include <QSize>
#include <QString>

class QLabel;
class QRadioButton;
class QStackedWidget;
class QWidget;

// Adds an empty sheet called `name` of `size` to `control` and returns it. The sheet takes
// the control's accessible name (the page's title).
QWidget* AddSheet(QStackedWidget* control, const char* name, QSize size);

struct ColumnLayout {
    int left;       // x of an unindented text
    int textWidth;  // width of an unindented text
    int gap;        // room below each text
};

class SheetColumn {
public:
    SheetColumn(QWidget* sheet, const ColumnLayout& layout, int top = 8);

    QLabel* Text(const char* name, const QString& text, int indent = 0);
    // A text to the right of a 32 x 32 icon; `image`, when given, receives the icon's control.
    QLabel* Noted(const char* imageName, const QPixmap& icon, const char* name, const QString& text,
                  QLabel** image = nullptr);
    // A text with a bold "*" bullet to its left.
    QLabel* Bulleted(const char* bulletName, const char* name, const QString& text);
    QRadioButton* Radio(const char* name, const QString& text);
    void Skip(int pixels) { top_ += pixels; }
    int Top() const { return top_; }

private:
    QWidget* sheet_;
    ColumnLayout layout_;
    int top_;
};
