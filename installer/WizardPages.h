#pragma once
// Fills the shell's page factory table with the pages this build has.

void RegisterWizardPages();

#include <QStringList>

class TMainForm;

// Builds the wizard as the program starts it: the page table, the shell (TMainForm) with its
// button glyphs and icon, then the About box. `arguments` exclude the program path; a
// "-rusb" start first removes the RunOnce entry that brought the program back.
TMainForm* CreateWizard(const QStringList& arguments);
