#include "app/SheetColumn.h"

#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>

#include <algorithm>

#include "app/FormKit.h"

namespace {
constexpr int kIconSide = 32;
constexpr int kIconIndent = kIconSide + 8;
constexpr int kBulletIndent = 20;
constexpr int kRadioIndent = 8;
}  // namespace

QWidget* AddSheet(QStackedWidget* control, const char* name, QSize size) {
    auto* sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(name));
    sheet->resize(size);
    sheet->setAccessibleName(control->accessibleName());
    control->addWidget(sheet);
    return sheet;
}

SheetColumn::SheetColumn(QWidget* sheet, const ColumnLayout& layout, int top)
    : sheet_(sheet), layout_(layout), top_(top) {}

QLabel* SheetColumn::Text(const char* name, const QString& text, int indent) {
    const int width = layout_.textWidth - indent;
    QLabel* label = MakeWrappedLabel(sheet_, name, text,
                                     QRect(layout_.left + indent, top_, width, 10), FormFont(13));
    label->resize(width, label->heightForWidth(width));
    top_ += label->height() + layout_.gap;
    return label;
}

QLabel* SheetColumn::Noted(const char* imageName, const QPixmap& icon, const char* name,
                           const QString& text, QLabel** image) {
    QLabel* picture =
        MakeImage(sheet_, imageName, icon, QRect(layout_.left, top_, kIconSide, kIconSide));
    if (image != nullptr) {
        *image = picture;
    }
    const int top = top_;
    QLabel* label = Text(name, text, kIconIndent);
    top_ = std::max(top_, top + kIconSide + layout_.gap);
    return label;
}

QLabel* SheetColumn::Bulleted(const char* bulletName, const char* name, const QString& text) {
    MakeLabel(sheet_, bulletName, QStringLiteral("*"), layout_.left + 4, top_, FormFont(13, true));
    return Text(name, text, kBulletIndent);
}

QRadioButton* SheetColumn::Radio(const char* name, const QString& text) {
    const int width = layout_.textWidth - kRadioIndent;
    QRadioButton* radio = MakeWrappedRadioButton(
        sheet_, name, text, QRect(layout_.left + kRadioIndent, top_, width, 0), FormFont(13));
    top_ += radio->height() + 8;
    return radio;
}
