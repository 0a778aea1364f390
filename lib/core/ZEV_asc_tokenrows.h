// Rows of an ASC file without row names read from tokens parsed on two cores, a stretch of the
// input at a time. Same cells, states, classes and codes as ReadAscRow, token by token.
#pragma once

#include "ZEV_asc_format.h"
#include "ZEV_asc_tokens.h"

#include <algorithm>

class TAscTokenRows {
  public:
    // Bytes of input read into tokens at a time: enough that starting the second core's share
    // costs nothing worth counting.
    static constexpr std::size_t kStretchBytes = std::size_t(1) << 20;
    // What the input should buffer, so that little is moved when it is refilled.
    static constexpr std::size_t kInputBytes = 4 * kStretchBytes;

    explicit TAscTokenRows(const TAscHeader& Header) : FHeader(Header) {}

    // Up to MaxRows rows from the tokens of what In holds; SinkFor(i) gives the sink of the
    // i-th of them (as ReadAscRow takes it). Returns the rows read, 0 when not one whole row is
    // there (then read it with ReadAscRow). A failing row is the one after them: Code then
    // holds its code and Filled the cells read before the bad one.
    template <class SinkFor>
    int Read(TAscInput& In, long long MaxRows, SinkFor&& Sink, int& Code, int& Filled);

  private:
    // Token K on into Sink; K then after the row's last token, past the tokens when the row
    // wants one after the end of the file. ascOK, a row's code, or kIncomplete when the tokens
    // end inside the row.
    template <class S> int Row(S& Sink, std::size_t& K, bool AtEnd, int& Filled) const;
    static constexpr int kIncomplete = 1;

    const TAscHeader& FHeader;
    TAscTokens FTokens;
    double FRowBytes = 0; // bytes per row so far, to read about what is wanted
};

template <class SinkFor>
int TAscTokenRows::Read(TAscInput& In, long long MaxRows, SinkFor&& Sink, int& Code, int& Filled)
{
    const std::size_t want = FRowBytes > 0
                                 ? std::size_t(std::min(FRowBytes * 1.02 * double(MaxRows) + 64.0,
                                                        double(kStretchBytes)))
                                 : kStretchBytes;
    std::string_view text = In.Ahead(want);
    const bool atEnd = In.AtEnd();
    if (!atEnd || text.size() > want) {
        // Whole tokens only: up to the last separator.
        std::size_t cut = std::min(text.size(), want);
        while (cut > 0 && !IsAscSeparator(text[cut - 1])) --cut;
        if (cut == 0) return 0;
        text = text.substr(0, cut);
    }
    FTokens.Parse(text);
    const bool tokensEnd = atEnd && text.size() == In.Ahead(0).size();
    std::size_t k = 0, consumed = 0;
    int rows = 0;
    while (rows < MaxRows) {
        auto sink = Sink(rows);
        const int code = Row(sink, k, tokensEnd, Filled);
        if (code == kIncomplete) break;
        // A row that wants a token after the end of the file ends with it.
        consumed = k > FTokens.Size() ? text.size() : FTokens.End(k - 1);
        if (code != ascOK) {
            Code = code;
            break;
        }
        ++rows;
    }
    In.Skip(consumed);
    if (rows > 0) FRowBytes = double(consumed) / rows;
    return rows;
}

template <class S> int TAscTokenRows::Row(S& Sink, std::size_t& K, bool AtEnd, int& Filled) const
{
    const std::size_t n = FTokens.Size();
    std::size_t k = K;
    TAscTokenKind kind = atOther;
    double v = 0;
    // The next token, or the empty token at the end of the file; false when the tokens end
    // before the file does.
    auto next = [&] {
        if (k >= n) {
            ++k;
            kind = atOther;
            return AtEnd;
        }
        kind = FTokens.Kind(k);
        v = FTokens.Value(k++);
        return true;
    };
    int code = ascOK;
    if (FHeader.HasClasses()) {
        if (!next()) return kIncomplete;
        int cls = 0;
        if (kind != atNumber || !AscClassOf(v, cls))
            code = ascBadClassNumber;
        else
            Sink.Class(cls);
    }
    for (int c = 0; c < FHeader.Columns && code == ascOK; ++c) {
        if (!next()) return kIncomplete;
        double& cell = Sink.Cell(c);
        switch (kind) {
        case atNumber:
            cell = v;
            break;
        case atNotANumber:
            cell = 0;
            Sink.State(c, dtcsNotANumber);
            break;
        case atEmpty:
            cell = 0;
            Sink.State(c, dtcsEmpty);
            break;
        case atOpen:
            if (!next()) return kIncomplete;
            if (kind == atClosed) {
                cell = v;
                Sink.State(c, dtcsParenthesis);
            } else {
                code = ascBadCell;
            }
            break;
        default:
            code = ascBadCell;
        }
        if (code != ascOK) Filled = c;
    }
    K = k;
    return code;
}
