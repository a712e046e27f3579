#pragma once
// The wizard-wide selections that pages hand to one another, and the busy flag raised while
// a launched installer is waited for. Window thread only.

#include <QString>

void SetSelectedPort(const QString& port);
QString GetSelectedPort();
void SetPrinterModel(const QString& model);
QString GetPrinterModel();
void SetPrinterIdentity(const QString& identity);
QString GetPrinterIdentity();
void SetWaitingForProgram(bool waiting);
bool IsWaitingForProgram();

// Empties SelectedPort, PrinterModel and PrinterIdentity.
void ClearSelections();
