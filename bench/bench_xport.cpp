// The XPort page's DHCP course against a simulated module on loopback, in real time: its wall
// time against the sum of its own waits (3 s search, 15 s restart, 3 s second search, the
// 150 ms quiet after each of the dialogue's 18 prompts and the 250 ms pause that ends the
// telnet dialogue), and the wizard's CPU while the 15 s restart wait runs.

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/Application.h"
#include "bench/BenchLoop.h"
#include "host/BrandingStore.h"
#include "pages/xport/TXportConfigForm.h"

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
    QTemporaryDir home;
    qputenv("VORMATIC_REGISTRY_DIR", home.filePath(QStringLiteral("registry")).toUtf8());

    const QString net = QStringLiteral("127.%1.%2.").arg(100 + getpid() % 100).arg(210);
    qputenv("VORMATIC_NETWORK_ADAPTERS", (net + QStringLiteral("1/255.255.255.0")).toUtf8());
    qputenv("VORMATIC_XPORT_QUERY_ADDRESS", (net + QStringLiteral("255")).toUtf8());
    const QString port = QString::number(40000 + getpid() % 20000);
    qputenv("VORMATIC_XPORT_PORT", port.toUtf8());

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/vormatic-xport-sim"),
        {QStringLiteral("--port"), port, QStringLiteral("--restart-ms"), QStringLiteral("5000"),
         QStringLiteral("--module"),
         net + QStringLiteral("20,dhcp=") + net + QStringLiteral("120")});
    if (!sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "the XPort simulator did not start\n");
        return 1;
    }

    QWidget host;
    auto* page = new TXportConfigForm(&host);
    page->SetDhcpMode(true);
    QElapsedTimer clock;
    clock.start();
    page->Activate();
    if (!RunUntil([&] { return page->State() == TXportConfigForm::ChoosePrinter; }, 5, 10000)) {
        std::fprintf(stderr, "no printer found\n");
        return 1;
    }
    const qint64 search = clock.elapsed();
    clock.restart();
    page->Next();
    double restartCpu = 0;
    double restartWall = 0;
    if (!RunUntil([&] { return page->State() == TXportConfigForm::Restarting; }, 5, 10000)) {
        std::fprintf(stderr, "the set-up record was not acknowledged\n");
        return 1;
    }
    {
        QElapsedTimer wait;
        wait.start();
        const double cpu = CpuSeconds();
        RunUntil([&] { return page->State() != TXportConfigForm::Restarting; }, 500, 20000);
        restartCpu = CpuSeconds() - cpu;
        restartWall = static_cast<double>(wait.elapsed()) / 1000.0;
    }
    if (!RunUntil([&] { return page->IsDone(); }, 5, 30000)) {
        std::fprintf(stderr, "the course did not end\n");
        return 1;
    }
    const double wall = static_cast<double>(search + clock.elapsed()) / 1000.0;
    const double floor = 3 + 15 + 3 + 18 * 0.15 + 0.25;
    std::printf(
        "XPort DHCP course: %.3f s against its own waits of %.2f s: ratio %.4f (aim <= 1.02)\n",
        wall, floor, wall / floor);
    std::printf("CPU during the restart wait: %.3f s in %.2f s = %.3f %% (aim < 1 %%)\n",
                restartCpu, restartWall, 100.0 * restartCpu / restartWall);
    delete page;
    sim.terminate();
    sim.waitForFinished();
    return 0;
}
