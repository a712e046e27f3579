#pragma once
// Running the window's event loop in a benchmark until something holds.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

// Runs the event loop until `done` holds, looking every `pollMs`; false after `limitMs`.
inline bool RunUntil(const std::function<bool()>& done, int pollMs, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QEventLoop loop;
        QTimer::singleShot(pollMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
