#include "app/Application.h"

#include <exception>

#include "app/Accessible.h"
#include "app/Dialogs.h"
#include "app/FormKit.h"
#include "host/Version.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    // An error escaping a handler (a page that cannot load its file, say) is shown in the
    // standard error box and the program goes on; it must never cross Qt's event loop.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowStandardError(FromAnsi(e.what()));
    } catch (...) {
        ShowStandardError(QStringLiteral("Unknown error."));
    }
    return false;
}

void InitApplication(QApplication& app) {
    app.setApplicationName(QString::fromLatin1(kApplicationTitle));
    app.setApplicationVersion(QString::fromLatin1(kProductVersion));
    InstallFontSubstitutes();
    InstallAccessibleFactory();
}
