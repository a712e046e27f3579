// FromAnsi and ToAnsi.
//
// A QString cannot tell which bytes it was read from: "MZÄ-1" may come from the Windows-1252
// bytes "MZ\xC4-1" of a reseller's plstrings.txt or from the UTF-8 bytes "MZ\xC3\x84-1", and a
// model code or a device path must go back to the very bytes it came from, or it names
// another model or a device that does not exist. So FromAnsi keeps the bytes of every
// non-ASCII text it decodes beside the text, and ToAnsi gives them back for a text equal to
// one of them. When the same text was decoded from two different byte strings, the latest
// decode wins. ASCII texts need no record: they have one form only.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>
#include <array>

#include "app/AnsiText.h"

namespace {

#ifndef Q_OS_WIN
// Windows-1252 from 0x80 to 0x9F; the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the control characters of the same number, as Windows itself
// maps them, so that they too come back as the same byte. 0xA0 to 0xFF equal Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
#endif

// Texts decoded by FromAnsi, with their bytes. Bounded: a program that reads more distinct
// texts than this starts afresh (the older texts then go back in the platform's code page).
constexpr qsizetype kMaxRecords = 4096;

struct Records {
    QMutex mutex;
    QHash<QString, QByteArray> bytesOf;
};

Records& DecodedTexts() {
    static Records records;
    return records;
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

#ifndef Q_OS_WIN  // Windows reads 8-bit text in its own ANSI code page
QString FromWindows1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += (byte >= 0x80 && byte < 0xA0) ? QChar(kWindows1252High[byte - 0x80])
                                              : QChar(static_cast<char16_t>(byte));
    }
    return text;
}
#endif

// The platform's reading of 8-bit text.
QString Decode(const QByteArray& bytes) {
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    // A byte order mark stays a character, so that it too comes back.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return FromWindows1252(bytes);
#endif
}

QByteArray Encode(const QString& text) {
#ifdef Q_OS_WIN
    return text.toLocal8Bit();
#else
    return text.toUtf8();
#endif
}

}  // namespace

QString FromAnsi(const std::string& text) {
    if (IsAscii(text)) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    QString decoded = Decode(bytes);
    Records& records = DecodedTexts();
    const QMutexLocker lock(&records.mutex);
    if (Encode(decoded) == bytes) {
        records.bytesOf.remove(decoded);  // the platform's encoding gives these bytes anyway
    } else {
        if (records.bytesOf.size() >= kMaxRecords) {
            records.bytesOf.clear();
        }
        records.bytesOf.insert(decoded, bytes);
    }
    return decoded;
}

std::string ToAnsi(const QString& text) {
    {
        Records& records = DecodedTexts();
        const QMutexLocker lock(&records.mutex);
        const auto found = records.bytesOf.constFind(text);
        if (found != records.bytesOf.constEnd()) {
            return found->toStdString();
        }
    }
    return Encode(text).toStdString();
}
