#pragma once
// The application object: catches an error that escapes an event handler and shows it in
// the standard error box instead of letting it cross Qt's event loop.

#include <QApplication>

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// What every QApplication of this program (and of its tests) sets up: the title, the font
// substitutes, the window icon.
void InitApplication(QApplication& app);
