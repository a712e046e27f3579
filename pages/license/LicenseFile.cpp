#include "pages/license/LicenseFile.h"

#include <QFile>
#include <stdexcept>

#include "app/FormKit.h"

QString ReadLicenseText(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(ToAnsi(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString())));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw std::runtime_error(ToAnsi(
            QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString())));
    }
    QString text = FromAnsi(bytes.toStdString());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
