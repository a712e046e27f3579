#pragma once
// main() for Qt tests: the program's own application class (so an error escaping a handler
// is shown, not thrown through the event loop) with the program's set-up.

#include <QtTest>

#include "app/Application.h"

#define VORMATIC_TEST_MAIN(TestClass)            \
    int main(int argc, char** argv) {            \
        Application app(argc, argv);             \
        InitApplication(app);                    \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        TestClass test;                          \
        QTEST_SET_MAIN_SOURCE_PATH               \
        return QTest::qExec(&test, argc, argv);  \
    }
