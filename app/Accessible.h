#pragma once
// What a screen reader is told about the pages' pictures and labels: pictures that carry text
// are named with it, a label names the control it stands beside, and a picture or label that
// acts on a click (MakeClickable) offers that click as its press action.

#include <QString>

class QLabel;
class QWidget;

// Installs the interface that gives clickable pictures and labels their press action. The
// application does it at start-up; MakeClickable makes sure of it too.
void InstallAccessibleFactory();

// Marks a widget that MakeClickable has made act on a left click.
void MarkClickable(QWidget* widget);

// Names a picture with the text it shows. A picture left unnamed is decoration: it has an
// empty name and, like every picture, takes no focus.
void NamePicture(QLabel* picture, const QString& text);

// Makes `label` the visible label of `control`: its buddy, and the control's accessible name
// (the label's text without a trailing colon).
void LinkLabel(QLabel* label, QWidget* control);
