#pragma once
// Helpers that build a page's controls at the pixel positions of its form layout, with the
// object name of the component, so that tests and users can find every control by name.

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <functional>
#include <string>

// The pages fill their controls with host texts: FromAnsi and ToAnsi come with the kit.
#include "app/AnsiText.h"

class QAbstractButton;
class QLabel;
class QObject;
class QPushButton;
class QRadioButton;
class QWidget;

// The form fonts. "MS Sans Serif" and Arial are mapped to a metric-compatible font where
// they are missing (see InstallFontSubstitutes).
QFont FormFont(int pixelSize, bool bold = false);  // "MS Sans Serif"
QFont ArialFont(int pixelSize, bool bold = false);
void InstallFontSubstitutes();

// A label at (left, top). Without a size it sizes itself to its text (auto-size); with one
// it keeps that size, and `wordWrap` wraps the text inside it. Labels show plain text: many
// of their texts come from files, the registry, a printer or the network, where "<b>" or
// "<img src=...>" must appear as written. A label that really shows markup written by the
// program opts in with setTextFormat(Qt::RichText).
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  const QFont& font);
QLabel* MakeWrappedLabel(QWidget* parent, const char* name, const QString& text,
                         const QRect& geometry, const QFont& font);
// A picture control showing `pixmap` at `geometry` (a null size takes the picture's size).
QLabel* MakeImage(QWidget* parent, const char* name, const QPixmap& pixmap, const QRect& geometry);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QRect& geometry, const QFont& font);
QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& text,
                              const QRect& geometry, const QFont& font);
// A radio button whose caption wraps within `geometry` (the width is kept; the height grows to
// the caption's lines), and which a click anywhere on it chooses.
QRadioButton* MakeWrappedRadioButton(QWidget* parent, const char* name, const QString& text,
                                     const QRect& geometry, const QFont& font);

// Loads a picture file into an image control, keeping the control's built-in picture when
// the file cannot be loaded. The colour of the picture's bottom-left pixel is drawn
// transparent. True when the picture was replaced.
bool LoadPictureFile(QLabel* image, const QString& path, bool stretch = false);

// Calls `onChosen` whenever `button` becomes checked, however that happens (the mouse, the
// keys, an accessibility action, the program), and when the user clicks it while it is
// already checked: choosing the option again counts as choosing it.
void OnChosen(QAbstractButton* button, QObject* context, const std::function<void()>& onChosen);

// Makes a label look and act like a link (blue, underlined, hand cursor) and calls
// `onClick` on a left click, which assistive technology reaches as the label's press action.
void MakeClickable(QWidget* widget, std::function<void()> onClick);
void StyleAsLink(QLabel* label);
