#pragma once
// Layout checks shared by the page tests: a caption must fit its control with the fonts this
// machine really has (the form fonts are substitutes here), and a control must lie inside the
// part of its parent that is drawn.

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

// Object names of the labels and buttons below `root` whose text is clipped.
inline QStringList ClippedCaptions(const QWidget* root) {
    QStringList clipped;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            continue;
        }
        const QSize box = label->size();
        const bool fits = label->wordWrap() ? label->heightForWidth(box.width()) <= box.height()
                                            : label->sizeHint().width() <= box.width() &&
                                                  label->sizeHint().height() <= box.height();
        if (!fits || !label->parentWidget()->contentsRect().contains(label->geometry())) {
            clipped << label->objectName();
        }
    }
    for (const QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        // A push button draws its caption inside a frame of a few pixels on each side.
        const int needed = qobject_cast<const QPushButton*>(button)
                               ? QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8
                               : button->sizeHint().width();
        if (needed > button->width() ||
            !button->parentWidget()->contentsRect().contains(button->geometry())) {
            clipped << button->objectName();
        }
    }
    return clipped;
}
