#include "app/Selections.h"

namespace {
QString selectedPort;
QString printerModel;
QString printerIdentity;
bool waitingForProgram = false;
}  // namespace

void SetSelectedPort(const QString& port) {
    selectedPort = port;
}
QString GetSelectedPort() {
    return selectedPort;
}
void SetPrinterModel(const QString& model) {
    printerModel = model;
}
QString GetPrinterModel() {
    return printerModel;
}
void SetPrinterIdentity(const QString& identity) {
    printerIdentity = identity;
}
QString GetPrinterIdentity() {
    return printerIdentity;
}
void SetWaitingForProgram(bool waiting) {
    waitingForProgram = waiting;
}
bool IsWaitingForProgram() {
    return waitingForProgram;
}

void ClearSelections() {
    printerModel.clear();
    selectedPort.clear();
    printerIdentity.clear();
}
