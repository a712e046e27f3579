#pragma once
// Steps of the serial road shared by the end-to-end and screenshot tests.

#include <QString>

class Wizard;
class Sandbox;

// Lays the demo CD (tools/make-demo-cd.sh) into the sandbox's CD folder, with installers
// that finish at once and log to `log`, and the build's tools (the redirector's manager and
// bridge) on it.
bool MakeDemoCd(Sandbox& sandbox, const QString& log);

// Clicks a child widget of the wizard by object name and settles.
void ClickNamed(Wizard& wizard, const char* name);
// Clicks the list item `text` of PortListBox.
bool ClickPortItem(Wizard& wizard, const QString& text);
// Walks Welcome -> licence (accepting it) -> connection choice -> serial -> COM port page.
void WalkToPortPage(Wizard& wizard);
