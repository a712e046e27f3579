// Start-up cost of the wizard beside a bare Qt Widgets window of the same size, built the
// same way (same binary, same libraries, same platform plugin), measured in one run.
//
//   bench_startup [runs]        prints the medians and the two ratios
//
// Each sample is a fresh process: the parent notes the time, starts this program in "wizard"
// or "bare" mode, and the child reports when its first page is on screen, with its resident
// memory at that moment.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// after windows.h
#include <psapi.h>
#endif

#include "app/Application.h"
#include "app/Dialogs.h"
#include "app/TMainForm.h"
#include "host/BrandingStore.h"
#include "installer/WizardPages.h"

namespace {

long ResidentKiB() {
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)
               ? static_cast<long>(counters.WorkingSetSize / 1024)
               : -1;
#else
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
#endif
}

void Report() {
    std::printf("shown %ld\n", ResidentKiB());
    std::fflush(stdout);
}

enum class Mode { Wizard, Bare, Label };

int RunChild(int argc, char** argv, Mode mode) {
    const bool wizard = mode == Mode::Wizard;
    if (wizard) {
        BrandingStore::Instance();
    }
    Application app(argc, argv);
    InitApplication(app);
    std::unique_ptr<QWidget> window;
    if (wizard) {
        window.reset(CreateWizard({}));
    } else {
        window = std::make_unique<QWidget>();
        window->setFixedSize(622, 472);
        if (mode == Mode::Label) {
            // The floor of any window with text: Qt loads its font database for the first
            // caption.
            auto* label = new QLabel(QStringLiteral("Welcome"), window.get());
            label->move(8, 8);
        }
    }
    window->show();
    QTimer::singleShot(0, [&] {
        if (wizard && MainForm->ChildFormIndex() != 0) {
            std::printf("wizard did not show its first page\n");
        }
        Report();
        QCoreApplication::exit(0);
    });
    app.exec();
    return 0;
}

struct Sample {
    double ms;
    long rssKiB;
};

Sample Measure(const char* self, const char* mode) {
    QElapsedTimer clock;
    clock.start();
    QProcess child;
    child.start(QString::fromLocal8Bit(self), {QString::fromLatin1(mode)});
    child.waitForStarted();
    while (!child.canReadLine() && child.state() == QProcess::Running) {
        child.waitForReadyRead(5);
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const QByteArray line = child.readLine();
    child.waitForFinished();
    long rss = -1;
    std::sscanf(line.constData(), "shown %ld", &rss);
    return {ms, rss};
}

template <typename T>
T Median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "wizard") == 0) {
        return RunChild(argc, argv, Mode::Wizard);
    }
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0) {
        return RunChild(argc, argv, Mode::Bare);
    }
    if (argc > 1 && std::strcmp(argv[1], "label") == 0) {
        return RunChild(argc, argv, Mode::Label);
    }
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    std::vector<double> wizardMs, bareMs, labelMs;
    std::vector<long> wizardRss, bareRss, labelRss;
    Measure(argv[0], "bare");  // warm the file cache
    Measure(argv[0], "wizard");
    for (int i = 0; i < runs; ++i) {
        const Sample b = Measure(argv[0], "bare");
        const Sample w = Measure(argv[0], "wizard");
        const Sample l = Measure(argv[0], "label");
        labelMs.push_back(l.ms);
        labelRss.push_back(l.rssKiB);
        bareMs.push_back(b.ms);
        bareRss.push_back(b.rssKiB);
        wizardMs.push_back(w.ms);
        wizardRss.push_back(w.rssKiB);
    }
    const double wm = Median(wizardMs), bm = Median(bareMs);
    const long wr = Median(wizardRss), br = Median(bareRss);
    std::printf("platform: %s, %d runs each (medians)\n",
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("default"))),
                runs);
    std::printf("start-up to first page: wizard %.1f ms, bare window %.1f ms, ratio %.2f\n", wm, bm,
                wm / bm);
    std::printf("  (a bare window with one label: %.1f ms, ratio %.2f: the text floor)\n",
                Median(labelMs), Median(labelMs) / bm);
    std::printf("wizard against the one-label window: ratio %.2f\n", wm / Median(labelMs));
    std::printf("resident memory then:   wizard %ld KiB, bare window %ld KiB, ratio %.2f\n", wr, br,
                static_cast<double>(wr) / static_cast<double>(br));
    std::printf("  (a bare window with one label: %ld KiB, ratio %.2f)\n", Median(labelRss),
                static_cast<double>(Median(labelRss)) / static_cast<double>(br));
    return 0;
}
