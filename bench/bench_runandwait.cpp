// The wizard's own CPU time while RunAndWait waits for a program that runs 5 seconds.

#include <sys/resource.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "app/Application.h"
#include "app/Launch.h"
#include "app/TMainForm.h"
#include "host/BrandingStore.h"
#include "installer/WizardPages.h"

namespace {
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    BrandingStore::Instance();
    Application app(argc, argv);
    InitApplication(app);
    std::unique_ptr<TMainForm> shell(CreateWizard({}));
    shell->show();
    QCoreApplication::processEvents();

    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("installer with blanks.sh"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write("#!/bin/sh\nsleep 5\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QElapsedTimer clock;
    clock.start();
    const double before = CpuSeconds();
    const bool ran = RunAndWait(script, QString());
    const double cpu = CpuSeconds() - before;
    const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf(
        "RunAndWait %s: waited %.2f s, wizard CPU %.3f s = %.2f %% of the wait (aim < 2 %%)\n",
        ran ? "ran" : "FAILED", wall, cpu, 100.0 * cpu / wall);
    return ran ? 0 : 1;
}
