#pragma once
// Starting programs and documents: installers waited for while the window stays alive,
// RunOnce registration, web addresses, and the hourglass guard.

#include <QCursor>
#include <QString>

// Starts exactly the program file `programPath` (no arguments; blanks in the path are part of
// the name) in `workingDirectory` (the current one when empty) and returns when it has ended,
// pumping the event queue between 50 ms waits. Back and Next are disabled meanwhile and
// restored to the states found; the busy flag is raised. False when the file is missing or
// the program cannot start (nothing is shown).
bool RunAndWait(const QString& programPath, const QString& workingDirectory);

// Registers this program with `argument` to run once at the next logon; on failure shows
// "Unable to write to the Windows Registry. ..." and nothing else happens.
void RegisterRunOnce(const QString& argument);

// Opens `url` in the browser; "" on success, else one of "Web Browser Not Registered!",
// "Web Browser Not Installed!", "Error Executing Web Browser!".
QString OpenWebAddress(const QString& url);

// The browser command of the fallback with its "%1" placeholder removed (with the quotes
// around it when quoted) and " url" appended. Exposed for tests.
QString BrowserCommandLine(QString command, const QString& url);

// While it lives, the serial waits of a printer probe let the window answer: about every
// 20 ms they handle the pending events other than user input, timers and sockets. The window
// repaints and answers the desktop and assistive technology; clicks and keys stay queued,
// and no page's timer or socket runs, until the probe is over.
class WindowAnswersDuringProbe {
public:
    WindowAnswersDuringProbe();
    ~WindowAnswersDuringProbe();
    WindowAnswersDuringProbe(const WindowAnswersDuringProbe&) = delete;
    WindowAnswersDuringProbe& operator=(const WindowAnswersDuringProbe&) = delete;
};

// Handles the pending events that are not user input, timers or sockets, at once.
void AnswerWindowOnly();

// Remembers the cursor in force and sets `cursor`; the destructor restores it.
class ScreenCursorManager {
public:
    explicit ScreenCursorManager(const QCursor& cursor);
    ~ScreenCursorManager();
    ScreenCursorManager(const ScreenCursorManager&) = delete;
    ScreenCursorManager& operator=(const ScreenCursorManager&) = delete;
};
