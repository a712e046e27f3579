// The XPort page under a module that floods its telnet set-up connection: 10 MB (or the
// megabytes given) of text without a line end, of CR, and inside a subnegotiation that never
// ends. For each: the longest time the window's event loop did not answer, the growth of the
// resident memory while the flood ran, and when the dialogue's 20 s time-out ended it.
//
// The stall is given twice: in wall time, and in the window thread's own CPU time between two
// answers, which a machine shared with other work does not inflate.
//
// The course up to the telnet dialogue (search, set-up, restart, second search) runs ten
// times faster than real time; the dialogue and everything measured run in real time.

#include <time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/Application.h"
#include "bench/BenchLoop.h"
#include "host/BrandingStore.h"
#include "host/WaitClock.h"
#include "pages/xport/TXportConfigForm.h"

namespace {

double RssMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(getpagesize()) / 1048576.0
                             : 0;
}

qint64 ThreadCpuUs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

QString StatusValue(const QString& path, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key.toUtf8() + '=')) {
            return QString::fromUtf8(line.mid(key.size() + 1));
        }
    }
    return {};
}

// One flood: false when the course did not reach the dialogue.
bool Flood(const QString& fault, long long bytes, int run) {
    const QString net = QStringLiteral("127.%1.%2.").arg(100 + getpid() % 100).arg(220 + run);
    qputenv("VORMATIC_NETWORK_ADAPTERS", (net + QStringLiteral("1/255.255.255.0")).toUtf8());
    qputenv("VORMATIC_XPORT_QUERY_ADDRESS", (net + QStringLiteral("255")).toUtf8());
    const QString port = QString::number(40000 + (getpid() + run) % 20000);
    qputenv("VORMATIC_XPORT_PORT", port.toUtf8());
    QTemporaryDir dir;
    const QString status = dir.filePath(QStringLiteral("status"));

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/vormatic-xport-sim"),
        {QStringLiteral("--port"), port, QStringLiteral("--restart-ms"), QStringLiteral("100"),
         QStringLiteral("--status"), status, QStringLiteral("--flood-bytes"),
         QString::number(bytes), QStringLiteral("--module"),
         net + QStringLiteral("20,fault=") + fault});
    if (!sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "the XPort simulator did not start\n");
        return false;
    }

    waits::SetSpeedup(10);
    QWidget host;
    auto* page = new TXportConfigForm(&host);
    page->SetDhcpMode(true);
    page->Activate();
    if (!RunUntil([&] { return page->State() == TXportConfigForm::ChoosePrinter; }, 1, 10000)) {
        std::fprintf(stderr, "no printer found\n");
        return false;
    }
    page->Next();
    if (!RunUntil([&] { return page->State() == TXportConfigForm::Rechecking; }, 1, 10000)) {
        std::fprintf(stderr, "the printer did not come back\n");
        return false;
    }
    waits::SetSpeedup(1);
    if (!RunUntil([&] { return page->State() >= TXportConfigForm::TelnetConnecting; }, 1, 10000)) {
        std::fprintf(stderr, "no telnet dialogue\n");
        return false;
    }

    const double rssBefore = RssMb();
    double rssMost = rssBefore;
    qint64 longestStall = 0;
    qint64 longestCpuUs = 0;
    qint64 cpuAtTick = ThreadCpuUs();
    QElapsedTimer session;
    session.start();
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;  // answers whenever the event loop does
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.restart());
        const qint64 cpu = ThreadCpuUs();
        longestCpuUs = std::max(longestCpuUs, cpu - cpuAtTick);
        cpuAtTick = cpu;
        rssMost = std::max(rssMost, RssMb());
    });
    tick.start(1);
    const bool ended = RunUntil([&] { return page->IsDone(); }, 1, 60000);
    const qint64 timeout = session.elapsed();
    tick.stop();
    delete page;
    sim.terminate();
    sim.waitForFinished();
    std::printf(
        "%-18s %6.1f MB read; longest stall %4lld ms (aim <= 100), "
        "%.1f ms of CPU; RSS growth %5.1f MB "
        "(aim <= 20); ended after %.2f s (time-out 20 s)%s\n",
        qPrintable(fault),
        StatusValue(status, QStringLiteral("module.0.flooded")).toDouble() / 1048576.0,
        static_cast<long long>(longestStall), static_cast<double>(longestCpuUs) / 1000.0,
        rssMost - rssBefore, static_cast<double>(timeout) / 1000.0, ended ? "" : ", NOT ENDED");
    return ended;
}

}  // namespace

int main(int argc, char** argv) {
    BrandingStore::Instance();
    Application app(argc, argv);
    InitApplication(app);
    QTemporaryDir home;
    qputenv("VORMATIC_REGISTRY_DIR", home.filePath(QStringLiteral("registry")).toUtf8());
    const long long megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 10;
    int run = 0;
    bool ok = true;
    for (const char* fault : {"telnet-flood-text", "telnet-flood-cr", "telnet-flood-sub"}) {
        ok = Flood(QString::fromLatin1(fault), megabytes << 20, run++) && ok;
    }
    return ok ? 0 : 1;
}
