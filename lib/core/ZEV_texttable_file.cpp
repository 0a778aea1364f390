// Which reader a data file needs, and the one load that the window and both programs share.
#include "ZEV_texttable.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Enough for the four header lines of any ASC file worth the name.
constexpr qint64 kSniffBytes = 4096;

// Blanks, then a positive whole number, then the end or a blank: an ASC count line.
bool IsCountLine(QByteArrayView Line)
{
    qsizetype i = 0;
    while (i < Line.size() && quint8(Line[i]) <= 32) ++i;
    const qsizetype digits = i;
    bool positive = false;
    for (; i < Line.size() && Line[i] >= '0' && Line[i] <= '9'; ++i) positive |= Line[i] != '0';
    return i > digits && positive && (i == Line.size() || quint8(Line[i]) <= 32);
}

bool IsSwitchLine(QByteArrayView Line)
{
    const QByteArray s = Line.toByteArray().trimmed().toUpper();
    return s.startsWith("TRUE") || s.startsWith("FALSE");
}

bool HasAscHeader(const QByteArray& Head)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < Head.size() && lines.size() < 4; ++i) {
        if (Head[i] != '\r' && Head[i] != '\n') continue;
        lines.append(QByteArrayView(Head).sliced(start, i - start));
        if (Head[i] == '\r' && i + 1 < Head.size() && Head[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (lines.size() == 3 && start < Head.size())
        lines.append(QByteArrayView(Head).sliced(start));
    return lines.size() == 4 && IsCountLine(lines[1]) && IsCountLine(lines[2]) &&
           IsSwitchLine(lines[3]);
}

} // namespace

TTableFileKind TableFileKind(const QString& FileName)
{
    if (FileName.endsWith(QLatin1String(".asc"), Qt::CaseInsensitive)) return tfAsc;
    QFile file(FileName);
    if (!QFileInfo(FileName).isFile() || !file.open(QIODevice::ReadOnly)) return tfAsc;
    return HasAscHeader(file.read(kSniffBytes)) ? tfAsc : tfText;
}

TTableFileResult LoadTableFile(TDataTable& Table, const QString& FileName)
{
    TTableFileResult result;
    result.Kind = TableFileKind(FileName);
    if (result.Kind == tfAsc)
        result.AscCode = Table.LoadFromASCFile(FileName);
    else
        result.Text = ReadTextTable(Table, FileName);
    return result;
}
