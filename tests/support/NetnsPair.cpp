#include "tests/support/NetnsPair.h"

#include <signal.h>
#include <unistd.h>

#include <QProcess>
#include <QRegularExpression>

namespace {

constexpr char kPrefix[] = "vormatic-";

QString Run(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        *exitCode = -1;
        return QStringLiteral("%1 did not finish").arg(program);
    }
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll()).trimmed();
}

// Namespaces named after a test process that no longer runs.
QStringList StaleNamespaces() {
    int code = 0;
    const QString list =
        Run(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("list")}, &code);
    QStringList stale;
    static const QRegularExpression name(QStringLiteral("^(vormatic-[wm]-(\\d+))\\b"));
    for (const QString& line : list.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = name.match(line.trimmed());
        if (match.hasMatch()) {
            const pid_t pid = static_cast<pid_t>(match.captured(2).toLong());
            if (::kill(pid, 0) != 0 && errno == ESRCH) {
                stale << match.captured(1);
            }
        }
    }
    return stale;
}

}  // namespace

NetnsPair::NetnsPair() {
    const QString pid = QString::number(::getpid());
    wizardNs_ = QLatin1String(kPrefix) + QStringLiteral("w-") + pid;
    moduleNs_ = QLatin1String(kPrefix) + QStringLiteral("m-") + pid;
}

NetnsPair::~NetnsPair() {
    Remove();
}

QStringList NetnsPair::InNamespace(const QString& ns, const QString& program,
                                   const QStringList& arguments) {
    return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), ns, program} + arguments;
}

bool NetnsPair::Ip(const QStringList& arguments, QString* why) {
    int code = 0;
    const QString output = Run(QStringLiteral("ip"), arguments, &code);
    if (code != 0 && why) {
        *why = QStringLiteral("ip %1: %2").arg(arguments.join(QLatin1Char(' ')), output);
    }
    return code == 0;
}

bool NetnsPair::Create(QString* why) {
    if (::geteuid() != 0) {
        *why = QStringLiteral("network namespaces need root");
        return false;
    }
    for (const QString& ns : StaleNamespaces()) {
        Ip({QStringLiteral("netns"), QStringLiteral("delete"), ns});
    }
    if (!Ip({QStringLiteral("netns"), QStringLiteral("add"), wizardNs_}, why)) {
        return false;
    }
    created_ = true;
    const QString pid = QString::number(::getpid());
    const QString wizardEnd = QStringLiteral("vw") + pid;  // interface names: 15 characters
    const QString moduleEnd = QStringLiteral("vm") + pid;
    const QString w = wizardNs_;
    const QString m = moduleNs_;
    const QString s24 = QStringLiteral("/24");
    const QList<QStringList> steps = {
        {QStringLiteral("netns"), QStringLiteral("add"), m},
        {QStringLiteral("link"), QStringLiteral("add"), wizardEnd, QStringLiteral("netns"), w,
         QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"),
         QStringLiteral("name"), moduleEnd, QStringLiteral("netns"), m},
        {QStringLiteral("-n"), w, QStringLiteral("addr"), QStringLiteral("add"), PcAddress() + s24,
         QStringLiteral("dev"), wizardEnd},
        {QStringLiteral("-n"), m, QStringLiteral("addr"), QStringLiteral("add"),
         ModuleAddress() + s24, QStringLiteral("dev"), moduleEnd},
        {QStringLiteral("-n"), m, QStringLiteral("addr"), QStringLiteral("add"),
         DhcpAddress() + s24, QStringLiteral("dev"), moduleEnd},
        {QStringLiteral("-n"), w, QStringLiteral("link"), QStringLiteral("set"), wizardEnd,
         QStringLiteral("up")},
        {QStringLiteral("-n"), m, QStringLiteral("link"), QStringLiteral("set"), moduleEnd,
         QStringLiteral("up")},
        {QStringLiteral("-n"), w, QStringLiteral("link"), QStringLiteral("set"),
         QStringLiteral("lo"), QStringLiteral("up")},
        {QStringLiteral("-n"), m, QStringLiteral("link"), QStringLiteral("set"),
         QStringLiteral("lo"), QStringLiteral("up")},
        // A PC's limited broadcast leaves by its default route.
        {QStringLiteral("-n"), w, QStringLiteral("route"), QStringLiteral("add"),
         QStringLiteral("default"), QStringLiteral("dev"), wizardEnd},
    };
    for (const QStringList& step : steps) {
        if (!Ip(step, why)) {
            Remove();
            return false;
        }
    }
    return true;
}

void NetnsPair::Remove() {
    if (!created_) {
        return;
    }
    // Removing a namespace removes the veth end in it, and with it the pair.
    Ip({QStringLiteral("netns"), QStringLiteral("delete"), wizardNs_});
    Ip({QStringLiteral("netns"), QStringLiteral("delete"), moduleNs_});
    created_ = false;
}
