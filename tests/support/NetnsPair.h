#pragma once
// Two network namespaces joined by a veth pair with private addresses, for a test that lets
// the unmodified program send its real broadcast: one namespace holds the wizard, the other
// the simulated module. Everything is removed again when the object goes, and namespaces left
// behind by a test process that was killed are removed when the next one starts.

#include <QString>
#include <QStringList>

class NetnsPair {
public:
    NetnsPair();
    ~NetnsPair();
    NetnsPair(const NetnsPair&) = delete;
    NetnsPair& operator=(const NetnsPair&) = delete;

    // Makes the namespaces; false with the reason when this machine does not allow it.
    bool Create(QString* why);

    QString wizardNamespace() const { return wizardNs_; }
    QString moduleNamespace() const { return moduleNs_; }
    // Addresses: the wizard's PC, the module's first address, and a second address of the
    // module's interface that it may be given by "DHCP".
    static QString PcAddress() { return QStringLiteral("10.213.7.1"); }
    static QString ModuleAddress() { return QStringLiteral("10.213.7.2"); }
    static QString DhcpAddress() { return QStringLiteral("10.213.7.50"); }

    // The command line that runs `program` with `arguments` inside namespace `ns`.
    static QStringList InNamespace(const QString& ns, const QString& program,
                                   const QStringList& arguments);

private:
    bool Ip(const QStringList& arguments, QString* why = nullptr);
    void Remove();

    QString wizardNs_;
    QString moduleNs_;
    bool created_ = false;
};
