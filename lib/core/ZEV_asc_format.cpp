#include "ZEV_asc_format.h"

#include "ZEV_asc_text.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <vector>

using namespace Asc;

namespace {

constexpr std::size_t kPieceSize = std::size_t(1) << 20;
// A comment's text is reserved up front only this far; a longer one grows as it is read.
constexpr qint64 kMaxCommentReserve = qint64(1) << 31;

// Column, blank, level word, blank, labels.
void ApplyLevelLine(std::string_view Line, const std::function<void(int, TMeasLevel)>& Level,
                    const std::function<void(int, int, const QString&)>& Label)
{
    // Trailing blanks are no label; everything else that is not an integer where one
    // belongs raises the conversion error.
    while (!Line.empty() && IsAscSeparator(Line.back())) Line.remove_suffix(1);
    std::size_t blank = Line.find(' ');
    const int col = StrToInt(Line.substr(0, blank));
    std::string_view rest = blank == std::string_view::npos ? "" : Line.substr(blank + 1);
    blank = rest.find(' ');
    const std::string_view level = rest.substr(0, blank);
    std::string_view labels = blank == std::string_view::npos ? "" : rest.substr(blank + 1);

    TMeasLevel ml = mlInterval;
    if (EqualsNoCase(level, "NOMINAL"))
        ml = mlNominal;
    else if (EqualsNoCase(level, "ORDINAL"))
        ml = mlOrdinal;
    else if (EqualsNoCase(level, "RATIO"))
        ml = mlRatio;
    Level(col, ml);

    while (!labels.empty()) {
        // <value=text>
        const std::size_t eq = labels.find('=');
        if (labels.front() != '<' || eq == std::string_view::npos) ThrowNotAnInteger(labels);
        const int value = StrToInt(labels.substr(1, eq - 1));
        const std::size_t close = labels.find('>', eq + 1);
        const std::string_view text = labels.substr(eq + 1, close - (eq + 1));
        Label(col, value, DecodeText(text));
        labels = close == std::string_view::npos ? "" : labels.substr(close + 1);
    }
}

} // namespace

int ReadAscHeader(TAscInput& In, TAscHeader& Header)
{
    In.SkipLine(Header.Comment);
    std::string line;
    In.ReadLine(line);
    if (!ParseCount(line, Header.Columns)) return ascBadColumnCount;
    if (Header.Comment.HasLineFeed) return ascLineFeedEnding;
    In.ReadLine(line);
    if (!ParseCount(line, Header.Rows)) return ascBadRowCount;
    In.ReadLine(line);
    if (!ParseSwitches(line, Header.Switch)) return ascBadSwitch;
    return ascOK;
}

// Read again in pieces, so a long comment costs its text and no copy of its bytes; UTF-8 when
// the whole line is valid UTF-8, otherwise Latin-1 (older files).
QString ReadAscComment(const QString& FileName, const TLineSpan& Span)
{
    QString text;
    if (Span.Length == 0) return text;
    text.reserve(qsizetype(std::min<qint64>(Span.Length, kMaxCommentReserve)));
    QFile file;
    OpenForReading(file, FileName);
    std::vector<char> buf(kPieceSize);
    for (const bool latin1 : {false, true}) {
        text.resize(0);
        file.seek(Span.Start);
        std::size_t carried = 0;
        bool valid = true;
        for (qint64 left = Span.Length; left > 0 && valid;) {
            const qint64 got = file.read(buf.data() + carried,
                                         std::min<qint64>(left, qint64(buf.size() - carried)));
            if (got <= 0) break; // the file got shorter
            left -= got;
            const std::size_t size = carried + std::size_t(got);
            const std::size_t end = latin1 || left == 0 ? size : Utf8PieceEnd(buf.data(), size);
            if (latin1) {
                AppendVisible(text, QString::fromLatin1(buf.data(), qsizetype(end)));
            } else {
                QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
                const QString piece = utf8(QByteArrayView(buf.data(), qsizetype(end)));
                AppendVisible(text, piece);
                valid = !utf8.hasError();
            }
            carried = size - end;
            std::memmove(buf.data(), buf.data() + end, carried);
        }
        if (valid) break;
    }
    return text;
}

int ReadAscColumnNames(TAscInput& In, int Columns, const std::function<void(int, QString)>& Name)
{
    for (int c = 0; c < Columns; ++c) {
        const std::string word = In.ReadWord();
        if (word.empty() && In.Peek() < 0) return c;
        Name(c, NameOf(word));
    }
    return Columns;
}

bool ParseAscParenthesised(std::string_view Tok, double& Value)
{
    return Tok.size() >= 2 && Tok.back() == ')' &&
           ParseAscNumber(Tok.substr(0, Tok.size() - 1), Value);
}

// Lines between "<VARTYPES>" and "</VARTYPES>".
void ReadAscLevels(TAscInput& In, const std::function<void(int, TMeasLevel)>& Level,
                   const std::function<void(int, int, const QString&)>& Label)
{
    std::string line;
    bool inside = false;
    while (In.ReadLine(line)) {
        if (!inside) {
            inside = FindNoCase(line, "<VARTYPES>") != std::string::npos;
            continue;
        }
        if (FindNoCase(line, "</VARTYPES>") != std::string::npos) {
            inside = false;
            continue;
        }
        ApplyLevelLine(line, Level, Label);
    }
}

// From the first line containing "<custdata>": lines "<key>value</key>" until a line whose
// first tag is "/custdata".
void ReadAscCustomData(TAscInput& In, TStr2DArray& Custom)
{
    std::string line;
    bool inside = false;
    while (In.ReadLine(line)) {
        if (!inside) {
            inside = FindNoCase(line, "<custdata>") != std::string::npos;
            continue;
        }
        const std::size_t open = line.find('<');
        if (open == std::string::npos) continue;
        const std::size_t close = line.find('>', open + 1);
        if (close == std::string::npos) continue;
        const std::string_view key = std::string_view(line).substr(open + 1, close - open - 1);
        if (EqualsNoCase(key, "/custdata")) break;
        const std::size_t end = FindNoCase(line, "</" + std::string(key) + ">", close + 1);
        if (end == std::string::npos) continue;
        Custom[0].push_back(DecodeText(key));
        Custom[1].push_back(DecodeText(std::string_view(line).substr(close + 1, end - close - 1)));
    }
}
