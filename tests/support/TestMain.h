#pragma once
// main() for Qt tests: the program's own application class (so an error escaping a handler
// is shown, not thrown through the event loop) with the program's set-up.

#include <QtTest>

#include "app/Application.h"

// The program's set-up, then what the tests measure against: 96 dpi and, on Windows, text laid
// out with the fonts' design widths. The Windows tests run under Wine on the offscreen
// platform, whose FreeType rounds each glyph's width to whole pixels; the metric-compatible
// stand-ins for Arial are compatible in design widths only, which Linux's slight hinting keeps.
inline void PrepareTestApplication(Application& app) {
    InitApplication(app);
    app.setAttribute(Qt::AA_Use96Dpi, true);
#ifdef Q_OS_WIN
    QFont font = QApplication::font();
    font.setHintingPreference(QFont::PreferVerticalHinting);
    QApplication::setFont(font);
#endif
}

#define VORMATIC_TEST_MAIN(TestClass)           \
    int main(int argc, char** argv) {           \
        Application app(argc, argv);            \
        PrepareTestApplication(app);            \
        TestClass test;                         \
        QTEST_SET_MAIN_SOURCE_PATH              \
        return QTest::qExec(&test, argc, argv); \
    }
