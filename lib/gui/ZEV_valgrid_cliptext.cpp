// Table editor: "Copy", the copy buffer and the text form of a block of cells that Copy puts on
// the clipboard.
#include "ZEV_valgrid.h"

#include "Clipboard.h"
#include "ZEV_matrix.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>

namespace {
const QLatin1StringView NoNumber("####");

// Full precision, FloatToField(22, -1): " d.dddddddddddddE+dddd", 14 significant digits.
constexpr int FullWidth = 22;
constexpr std::uint64_t Ten13 = 10000000000000ull, Ten14 = 10 * Ten13;

// Below this many cells a second thread costs more than it saves.
constexpr long long CellsForTwoThreads = 200000;

// The block's columns as Copy reads them: straight from the matrix, rounded in category
// columns as Elem reads them.
struct TClipColumn {
    int Col;
    const double* Values;
    bool Rounded;
    int Decimals; // for the fixed form: the column's precision
};

struct TClipBlock {
    const TDataTable* Table;
    std::vector<TClipColumn> Columns;
    int Top;
    int Rows;

    double Value(const TClipColumn& C, int Row) const
    {
        const double v = C.Values[Row - 1];
        return C.Rounded ? std::nearbyint(v) : v;
    }
    bool IsNumber(const TClipColumn& C, int Row) const
    {
        return (Table->CellState(C.Col, Row) & (dtcsNotANumber | dtcsEmpty)) == 0;
    }
};

// "00" to "99" as two UTF-16 characters each, so a pair is one store.
constexpr std::array<std::array<char16_t, 2>, 100> DigitPairs = [] {
    std::array<std::array<char16_t, 2>, 100> pairs{};
    for (int i = 0; i < 100; ++i)
        pairs[std::size_t(i)] = {char16_t(u'0' + i / 10), char16_t(u'0' + i % 10)};
    return pairs;
}();

void WritePair(char16_t* Out, std::uint32_t N)
{
    std::memcpy(Out, DigitPairs[N].data(), sizeof DigitPairs[N]);
}

// The four decimal digits of N (below 10^4).
void WriteFourDigits(char16_t* Out, std::uint32_t N)
{
    WritePair(Out, N / 100);
    WritePair(Out + 2, N % 100);
}

constexpr std::array<std::uint64_t, 28> PowersOfFive = [] {
    std::array<std::uint64_t, 28> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
    return p;
}();

// The 14 significant digits of A (finite, > 0) rounded to nearest as a whole number in
// [1e13, 1e14), and the decimal exponent of the first, in exact integer arithmetic: A = m 2^k
// scaled by 10^s = 5^s 2^s is m 5^s shifted, which fits in 128 bits for 0 <= s <= 27, that is
// for A from about 1e-14 to 1e14. False outside that range and on an exact tie, which the
// library's conversion decides.
bool QuickDigits(double A, std::uint64_t& Digits, int& Exponent)
{
    const auto bits = std::bit_cast<std::uint64_t>(A);
    const int biased = int(bits >> 52);
    if (biased == 0) return false; // subnormal
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int k = biased - 1075;
    // floor(log10(A)) is this or one more (log10(2) as 315653 / 2^20).
    int exponent = ((biased - 1023) * 315653) >> 20;
    for (int attempt = 0; attempt < 2; ++attempt, ++exponent) {
        const int scale = 13 - exponent;
        if (scale < 0 || scale >= int(PowersOfFive.size())) return false;
        const unsigned __int128 p = (unsigned __int128)m * PowersOfFive[std::size_t(scale)];
        const int shift = -(k + scale);
        unsigned __int128 whole = p;
        bool up = false;
        if (shift < 0) {
            whole = p << -shift; // below 1e15: no bits are lost
        } else if (shift > 0) {
            whole = p >> shift;
            const unsigned __int128 rest = p - (whole << shift);
            const unsigned __int128 half = (unsigned __int128)1 << (shift - 1);
            if (rest == half) return false;
            up = rest > half;
        }
        if (whole >= Ten14) continue;
        Digits = std::uint64_t(whole) + up;
        Exponent = exponent;
        if (Digits == Ten14) Digits = Ten13, ++Exponent;
        return true;
    }
    return false;
}

// The same through the library's correctly rounded conversion.
void ExactDigits(double A, std::uint64_t& Digits, int& Exponent)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, A, std::chars_format::scientific, 13);
    Digits = std::uint64_t(buf[0] - '0');
    for (int i = 2; i < 15; ++i) Digits = Digits * 10 + std::uint64_t(buf[i] - '0');
    std::from_chars(buf + 17, r.ptr, Exponent); // after "d." 13 digits, "e" and the sign
    if (buf[16] == '-') Exponent = -Exponent;
}

char16_t* WriteFullPrecision(char16_t* Out, double Value)
{
    if (!std::isfinite(Value)) {
        const QString text = FloatToField(FullWidth, -1, Value);
        std::memcpy(Out, text.utf16(), sizeof(char16_t) * FullWidth);
        return Out + FullWidth;
    }
    const double a = std::fabs(Value);
    std::uint64_t digits = 0;
    int exponent = 0;
    if (a != 0 && !QuickDigits(a, digits, exponent)) ExactDigits(a, digits, exponent);
    Out[0] = Value < 0 ? u'-' : u' ';
    // Two digits, then three times four, each part from the one before by one division.
    const auto leading = std::uint32_t(digits / 1000000000000ull);
    const std::uint64_t twelve = digits - leading * 1000000000000ull;
    const auto high = std::uint32_t(twelve / 100000000);
    const auto eight = std::uint32_t(twelve - high * std::uint64_t(100000000));
    Out[1] = char16_t(u'0' + leading / 10);
    Out[2] = u'.';
    Out[3] = char16_t(u'0' + leading % 10);
    WriteFourDigits(Out + 4, high);
    WriteFourDigits(Out + 8, eight / 10000);
    WriteFourDigits(Out + 12, eight % 10000);
    Out[16] = u'E';
    Out[17] = exponent < 0 ? u'-' : u'+';
    const auto e = std::uint32_t(std::abs(exponent)); // at most 324
    WritePair(Out + 18, e / 100);
    WritePair(Out + 20, e % 100);
    return Out + FullWidth;
}

// Rows [From, To) of the block (0-based) in the full-precision form, from Out on.
char16_t* WriteFullPrecisionRows(const TClipBlock& B, int From, int To, char16_t* Out)
{
    for (int j = From; j < To; ++j) {
        const int row = B.Top + j;
        for (const TClipColumn& c : B.Columns) {
            *Out++ = &c == &B.Columns.front() ? u' ' : u'\t';
            if (B.IsNumber(c, row)) {
                Out = WriteFullPrecision(Out, B.Value(c, row));
            } else {
                std::copy(NoNumber.begin(), NoNumber.end(), Out);
                Out += NoNumber.size();
            }
        }
        *Out++ = u'\r';
        *Out++ = u'\n';
    }
    return Out;
}

// Every field has the same width, so the text is sized once and written in place: where the
// block is large, the lower half of the rows by a second thread, which starts before Meanwhile
// runs here.
QString FullPrecisionText(const TClipBlock& B, const std::function<void()>& Meanwhile)
{
    const qsizetype rowBound = qsizetype(B.Columns.size()) * (FullWidth + 1) + 2;
    QString text(rowBound * B.Rows, Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    const bool twoThreads = (long long)B.Columns.size() * B.Rows >= CellsForTwoThreads;
    const int half = twoThreads ? B.Rows / 2 : B.Rows;
    char16_t* const lower = begin + rowBound * half;
    char16_t* lowerEnd = lower;
    std::exception_ptr failure;
    std::jthread worker;
    if (twoThreads) {
        worker = std::jthread([&] {
            try {
                lowerEnd = WriteFullPrecisionRows(B, half, B.Rows, lower);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    }
    if (Meanwhile) Meanwhile();
    char16_t* end = WriteFullPrecisionRows(B, 0, half, begin);
    if (worker.joinable()) worker.join();
    if (failure) std::rethrow_exception(failure);
    // "####" is shorter than a number: the lower half closes up behind the upper.
    if (end != lower) std::memmove(end, lower, sizeof(char16_t) * std::size_t(lowerEnd - lower));
    end += lowerEnd - lower;
    text.truncate(end - begin);
    return text;
}

// FloatToField(1, Decimals, Value) without a string per cell: fixed notation with no leading
// blanks, or two significant digits and a four-digit exponent for precision -1.
void AppendFixed(QString& Out, double Value, int Decimals)
{
    if (!std::isfinite(Value) || Decimals < 0) {
        Out += FloatToField(1, Decimals, Value);
        return;
    }
    char buf[400]; // the longest fixed text: 309 integer digits and 10 decimals
    const auto r =
        std::to_chars(buf, buf + sizeof buf, Value + 0.0, std::chars_format::fixed, Decimals);
    Out += QLatin1StringView(buf, r.ptr);
}

QString FixedText(const TClipBlock& B)
{
    QString text;
    text.reserve(qsizetype(B.Columns.size()) * B.Rows * 12 + 2 * qsizetype(B.Rows));
    for (int j = 0; j < B.Rows; ++j) {
        const int row = B.Top + j;
        for (const TClipColumn& c : B.Columns) {
            text += &c == &B.Columns.front() ? QChar(' ') : QChar('\t');
            if (B.IsNumber(c, row))
                AppendFixed(text, B.Value(c, row), c.Decimals);
            else
                text += NoNumber;
        }
        text += QLatin1StringView("\r\n");
    }
    return text;
}
} // namespace

QString TValgrid::ClipboardText(int Left, int Top, int Right, int Bottom) const
{
    return BlockText({Left, Top, Right, Bottom}, nullptr);
}

QString TValgrid::BlockText(TGridRect Block, const std::function<void()>& Meanwhile) const
{
    Block.Left = std::max(Block.Left, 1), Block.Top = std::max(Block.Top, 1);
    Block.Right = std::min(Block.Right, NrOfColumns());
    Block.Bottom = std::min(Block.Bottom, NrOfRows());
    if (Block.Right < Block.Left || Block.Bottom < Block.Top) {
        if (Meanwhile) Meanwhile();
        return QString();
    }
    TClipBlock block{FTable.get(), {}, Block.Top, Block.Bottom - Block.Top + 1};
    for (int c = Block.Left; c <= Block.Right; ++c)
        block.Columns.push_back(
            {c, FTable->DataMat()->ColumnData(c), FTable->IsCategory(c), Precision(c)});
    if (FClipboardUseFullPrec) return FullPrecisionText(block, Meanwhile);
    if (Meanwhile) Meanwhile();
    return FixedText(block);
}

void TValgrid::CopyToClipboard()
{
    const TGridRect sel = DataSelection();
    if (sel.Right < sel.Left || sel.Bottom < sel.Top) return;
    Clipboard().SetAsText(BlockText(sel, [&] { FillCopyBuffer(sel); }));
    FCopyBufferFilled = true;
}

void TValgrid::FillCopyBuffer(const TGridRect& Block)
{
    const int cols = Block.Right - Block.Left + 1, rows = Block.Bottom - Block.Top + 1;
    // A buffer made afresh has zero states: only the cells with a state need a write.
    FCopyBuffer->Resize(1, 1);
    FCopyBuffer->SetCellState(1, 1, 0);
    FCopyBuffer->Resize(cols, rows);
    for (int i = 0; i < cols; ++i) {
        const int c = Block.Left + i;
        const double* from = FTable->DataMat()->ColumnData(c) + (Block.Top - 1);
        double* to = FCopyBuffer->DataMat()->ColumnData(i + 1);
        if (FTable->IsCategory(c))
            std::transform(from, from + rows, to, [](double v) { return std::nearbyint(v); });
        else
            std::copy_n(from, rows, to);
        for (int j = 0; j < rows; ++j)
            if (const std::uint8_t s = FTable->CellState(c, Block.Top + j))
                FCopyBuffer->SetCellState(i + 1, j + 1, s);
    }
}
