#include "FileNames.h"

#include <fcntl.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at P (at most Left bytes), or 0 when there is none.
int ValidSequence(const unsigned char* P, qsizetype Left)
{
    const unsigned char b = P[0];
    int n = b < 0x80             ? 1
            : (b & 0xE0) == 0xC0 ? 2
            : (b & 0xF0) == 0xE0 ? 3
            : (b & 0xF8) == 0xF0 ? 4
                                 : 0;
    if (n == 0 || n > Left) return 0;
    for (int i = 1; i < n; ++i)
        if ((P[i] & 0xC0) != 0x80) return 0;
    // Overlong forms, surrogates and values past U+10FFFF are not valid either.
    char32_t cp = n == 1 ? b : b & (0x7F >> n);
    for (int i = 1; i < n; ++i) cp = (cp << 6) | (P[i] & 0x3F);
    static const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return n;
}

} // namespace

QString FileNameFromBytes(QByteArrayView Bytes)
{
    QString name;
    name.reserve(Bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(Bytes.data());
    for (qsizetype i = 0; i < Bytes.size();) {
        const int n = ValidSequence(p + i, Bytes.size() - i);
        if (n == 0) {
            name.append(QChar(char16_t(kEscapeBase + p[i])));
            ++i;
        } else {
            name.append(QString::fromUtf8(reinterpret_cast<const char*>(p + i), n));
            i += n;
        }
    }
    return name;
}

QByteArray FileNameToBytes(const QString& Name)
{
    QByteArray bytes;
    bytes.reserve(Name.size());
    qsizetype start = 0; // of the run of ordinary characters not yet written
    for (qsizetype i = 0; i < Name.size(); ++i) {
        const char16_t ch = Name[i].unicode();
        const bool escaped = ch >= kEscapeBase + 0x80 && ch <= kEscapeBase + 0xFF &&
                             (i == 0 || !Name[i - 1].isHighSurrogate());
        if (!escaped) continue;
        bytes.append(Name.mid(start, i - start).toUtf8());
        bytes.append(char(ch - kEscapeBase));
        start = i + 1;
    }
    bytes.append(Name.mid(start).toUtf8());
    return bytes;
}

int OpenFileForReading(const QString& Name)
{
    return ::open(FileNameToBytes(Name).constData(), O_RDONLY | O_CLOEXEC);
}
