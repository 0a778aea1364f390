#include "ZEV_asc_tokens.h"

#include "ZEV_asc_number.h"

#include <future>

namespace {

// Text shorter than this is read on one core: a second thread would cost more than it saves.
constexpr std::size_t kTwoCoreBytes = std::size_t(1) << 16;

TAscTokenKind Classify(std::string_view Tok, double& Value)
{
    if (ParseAscNumber(Tok, Value)) return atNumber;
    if (Tok == "NAN") return atNotANumber;
    if (Tok == "###") return atEmpty;
    if (Tok == "(") return atOpen;
    if (Tok.size() >= 2 && Tok.back() == ')' &&
        ParseAscNumber(Tok.substr(0, Tok.size() - 1), Value))
        return atClosed;
    return atOther;
}

} // namespace

void TAscTokens::Parse(std::string_view Text)
{
    std::size_t split = Text.size() / 2;
    while (split < Text.size() && !IsAscSeparator(Text[split])) ++split;
    if (Text.size() < kTwoCoreBytes) split = Text.size();
    std::future<void> other;
    if (split < Text.size())
        other = std::async(std::launch::async,
                           [this, Text, split] { FSecond.Parse(Text, split, Text.size()); });
    else
        FSecond.Parse(Text, 0, 0);
    FFirst.Parse(Text, 0, split);
    if (other.valid()) other.get();
}

void TAscTokens::TPiece::Parse(std::string_view Text, std::size_t Begin, std::size_t End)
{
    Values.clear();
    Kinds.clear();
    Ends.clear();
    const char* const base = Text.data();
    const char* p = base + Begin;
    const char* const end = base + End;
    for (;;) {
        while (p < end && IsAscSeparator(*p)) ++p;
        if (p == end) return;
        double v = 0;
        TAscTokenKind kind = atNumber;
        const char* q = p;
        // The fast path reads up to 32 bytes ahead, so only well inside the piece.
        if (end - p < 32 || !AscNumber::FastPlainNumber(q, v)) {
            q = p;
            while (q < end && !IsAscSeparator(*q)) ++q;
            kind = Classify(std::string_view(p, std::size_t(q - p)), v);
        }
        Values.push_back(v);
        Kinds.push_back(kind);
        Ends.push_back(std::uint32_t(q - base));
        p = q;
    }
}
