// The printer search on the real COM port page and the real clock: two silent ports, then the
// printer. Measures the search (the Find button's click until its result is shown) and the
// longest time during it that the window's event loop did not answer: an event posted to
// itself, posted again each time it arrives, tells when the loop last handled events.
//
//   bench_search_window [ROUNDS]   (default 3; each round waits out two silent ports, ~8 s)
//
// The registry and XDG folders are private to the run, and only the simulators' ports are
// listed: none of the machine's serial devices is opened.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/ShellMessages.h"
#include "app/TMainForm.h"
#include "bench/BenchSim.h"
#include "host/BrandingStore.h"
#include "host/ComPorts.h"
#include "host/ExtendedProtocol.h"
#include "host/Registry.h"
#include "installer/WizardPages.h"
#include "pages/port/TPortForm.h"

namespace {

// Answers its own posted event and posts it again; the longest pause between two answers
// while `measuring` is the longest time the loop did not answer.
class Heartbeat : public QObject {
public:
    Heartbeat() { Post(); }
    void Start() {
        measuring_ = true;
        longestMs_ = 0;
        clock_.start();
    }
    double Stop() {
        Beat();
        measuring_ = false;
        return longestMs_;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() != Type()) {
            return QObject::event(e);
        }
        Beat();
        Post();
        return true;
    }

private:
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    void Post() { QCoreApplication::postEvent(this, new QEvent(Type())); }
    void Beat() {
        if (measuring_) {
            longestMs_ = std::max(longestMs_, static_cast<double>(clock_.nsecsElapsed()) / 1e6);
            clock_.start();
        }
    }

    bool measuring_ = false;
    double longestMs_ = 0;
    QElapsedTimer clock_;
};

void RunFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString root = dir.path();
    qputenv("VORMATIC_REGISTRY_DIR", (root + QStringLiteral("/registry")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("VORMATIC_SERIAL_DEVICES", "");

    const std::string identity = "RX200 Vormatic Tag Printer v2.14";
    std::vector<std::unique_ptr<BenchSim>> sims;
    for (int i = 0; i < 2; ++i) {
        sims.push_back(
            std::make_unique<BenchSim>(std::vector<std::string>{"--fault", "silent", "--quiet"}));
    }
    sims.push_back(std::make_unique<BenchSim>(
        std::vector<std::string>{"--pace", "--quiet", "--identity", identity}));
    for (std::size_t i = 0; i < sims.size(); ++i) {
        if (sims[i]->Path().empty()) {
            std::fprintf(stderr, "bench_search_window: cannot start %s\n", SimulatorPath().c_str());
            return 1;
        }
        reg::WriteString(reg::Root::LocalMachine, kSerialCommKey,
                         "\\Device\\BenchPort" + std::to_string(i), sims[i]->Path());
    }

    BrandingStore::Instance();
    Application app(argc, argv);
    InitApplication(app);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;

    std::unique_ptr<TMainForm> shell(CreateWizard({}));
    shell->show();
    PostShellMessage(shell.get(), WM_SHOW_PORT_FORM);
    RunFor(200);
    auto* find = shell->findChild<QPushButton*>(QStringLiteral("PortFindButton"));
    auto* result = shell->findChild<QLabel*>(QStringLiteral("PortFoundLabel"));
    if (!PortForm || !find || !result) {
        std::fprintf(stderr, "bench_search_window: the COM port page did not come up\n");
        return 1;
    }

    Heartbeat heartbeat;
    std::vector<double> searches;
    double longestGap = 0;
    bool allFound = true;
    for (int round = 0; round < rounds; ++round) {
        RunFor(50);
        heartbeat.Start();
        QElapsedTimer clock;
        clock.start();
        find->click();
        searches.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        longestGap = std::max(longestGap, heartbeat.Stop());
        allFound = allFound && result->text().contains(QString::fromStdString(sims[2]->Path()));
    }

    const double answerLine = LineMs(8 + 4 + identity.size() + 1 + 3 + 1);
    const double floor =
        2 * ExtendedProtocol::kTries * static_cast<double>(ExtendedProtocol::kTryMilliseconds) +
        answerLine;
    std::sort(searches.begin(), searches.end());
    const double median = searches[searches.size() / 2];
    std::printf("bench_search_window: the COM port page's search, silent, silent, printer\n");
    std::printf("  rounds:                                     %9d\n", rounds);
    std::printf("  search time, median:                        %9.2f ms\n", median);
    std::printf("  search time, min .. max:                    %9.2f .. %.2f ms\n",
                searches.front(), searches.back());
    std::printf("  floor (2 x 4 x 1000 ms + %.2f ms line time): %9.2f ms\n", answerLine, floor);
    std::printf("  ratio to the floor:                         %9.4f\n", median / floor);
    std::printf("  longest time the window did not answer:     %9.2f ms (aim <= 100 ms)\n",
                longestGap);
    if (!allFound) {
        std::printf("  the printer was not found in every round!\n");
    }
    return allFound ? 0 : 1;
}
