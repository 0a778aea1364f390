#include "textsink.h"

#include "shortestdouble.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>

namespace {
constexpr std::size_t BufferBytes = std::size_t(4) << 20;
constexpr std::size_t NumberBytes = 32; // "-2.2250738585072014e-308" and room to spare
constexpr char Hex[] = "0123456789abcdef";

// Length of the control character at Text[i] (1, or 2 for a C1 control in UTF-8), or 0.
std::size_t ControlAt(std::string_view Text, std::size_t i)
{
    const auto b = static_cast<unsigned char>(Text[i]);
    if (b < 0x20 || b == 0x7F) return 1;
    const bool c1 = b == 0xC2 && i + 1 < Text.size() &&
                    static_cast<unsigned char>(Text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(Text[i + 1]) <= 0x9F;
    return c1 ? 2 : 0;
}
} // namespace

std::string ShowControls(std::string_view Text)
{
    std::string shown;
    shown.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size();) {
        const std::size_t n = ControlAt(Text, i);
        if (n == 0) {
            shown += Text[i++];
            continue;
        }
        const auto b = static_cast<unsigned char>(Text[i + n - 1]);
        shown += {'\\', 'x', Hex[b >> 4], Hex[b & 15]};
        i += n;
    }
    return shown;
}

TTextSink::TTextSink(std::FILE* File, int Fd)
    : FFile(File),
      FBuffer(static_cast<char*>(std::aligned_alloc(TBlockFile::BlockBytes, BufferBytes))),
      FBegin(FBuffer.get()), FPos(FBegin), FEnd(FBegin + BufferBytes)
{
    if (!FBuffer) throw std::bad_alloc();
    if (Fd >= 0) FBlocks.emplace(Fd);
}

TTextSink::TTextSink(std::FILE* File) : TTextSink(File, -1) {}

TTextSink::TTextSink(int Fd) : TTextSink(nullptr, Fd) {}

TTextSink::TTextSink(TTextBlock& Memory)
    : FMemory(&Memory), FBegin(Memory.FData.get()), FPos(FBegin + Memory.FSize),
      FEnd(FBegin + Memory.FCapacity)
{
}

TTextSink::~TTextSink()
{
    Flush();
}

bool TTextSink::Flush()
{
    Drain(true);
    if (FFile && !FFailed && std::fflush(FFile) != 0) Fail(errno);
    return !FFailed;
}

void TTextSink::Fail(int Errno)
{
    if (FFailed) return;
    FFailed = true;
    FErrno = Errno;
}

void TTextSink::Drain(bool Last)
{
    const std::size_t bytes = std::size_t(FPos - FBegin);
    if (FMemory) {
        FMemory->FSize = bytes;
        return;
    }
    FPos = FBegin;
    // After an error nothing more is written.
    if (FFailed || bytes == 0) return;
    if (FFile) {
        if (std::fwrite(FBegin, 1, bytes, FFile) != bytes) Fail(errno);
        return;
    }
    const TBlockFile::TTaken taken = FBlocks->Write(FBegin, bytes, Last);
    if (taken.Errno) Fail(taken.Errno);
    // What is left is less than a block: it goes first in the next one.
    std::memmove(FBegin, FBegin + taken.Bytes, bytes - taken.Bytes);
    FPos = FBegin + (bytes - taken.Bytes);
}

// Memory grows to hold Bytes more, at least doubling, so that a long text costs few copies.
void TTextSink::Grow(std::size_t Bytes)
{
    const std::size_t used = std::size_t(FPos - FBegin);
    const std::size_t capacity = std::max({2 * FMemory->FCapacity, used + Bytes, BufferBytes / 16});
    std::unique_ptr<char[]> data(new char[capacity]);
    if (used) std::memcpy(data.get(), FBegin, used);
    FMemory->FData = std::move(data);
    FMemory->FCapacity = capacity;
    FBegin = FMemory->FData.get();
    FPos = FBegin + used;
    FEnd = FBegin + capacity;
}

void TTextSink::Reserve(std::size_t Bytes)
{
    if (Room() >= Bytes) return;
    FMemory ? Grow(Bytes) : Drain(false);
}

void TTextSink::Put(std::string_view Text)
{
    if (FFile && Text.size() > BufferBytes / 2) {
        // A long text goes to the stream as it is.
        Drain(true);
        if (!FFailed && std::fwrite(Text.data(), 1, Text.size(), FFile) != Text.size()) Fail(errno);
        return;
    }
    // A file takes it through the buffer, whole blocks at a time.
    while (FBlocks && Text.size() > Room()) {
        const std::size_t part = Room();
        std::memcpy(FPos, Text.data(), part);
        FPos += part;
        Text.remove_prefix(part);
        Drain(false);
    }
    Reserve(Text.size());
    std::memcpy(FPos, Text.data(), Text.size());
    FPos += Text.size();
}

void TTextSink::Put(char Ch)
{
    Reserve(1);
    *FPos++ = Ch;
}

void TTextSink::PutNumber(double Value)
{
    Reserve(NumberBytes);
    FPos = WriteShortestDouble(FPos, Value);
}

void TTextSink::PutNumbers(const double* Values, int Count, std::string_view Separator)
{
    const std::size_t most = std::size_t(std::max(Count, 0)) * (Separator.size() + NumberBytes);
    if (most > BufferBytes / 2) {
        for (int k = 0; k < Count; ++k) {
            Put(Separator);
            PutNumber(Values[k]);
        }
        return;
    }
    Reserve(most);
    for (int k = 0; k < Count; ++k) {
        for (const char ch : Separator) *FPos++ = ch;
        FPos = WriteShortestDouble(FPos, Values[k]);
    }
}

void TTextSink::PutInteger(long long Value)
{
    Reserve(NumberBytes);
    FPos = std::to_chars(FPos, FEnd, Value).ptr;
}

void TTextSink::PutCsvField(std::string_view Text)
{
    if (FShowControls) {
        const std::string shown = ShowControls(Text);
        FShowControls = false;
        PutCsvField(shown);
        FShowControls = true;
        return;
    }
    const bool quote = Text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!Text.empty() && (Text.front() == ' ' || Text.back() == ' '));
    if (!quote) return Put(Text);
    Put('"');
    for (char ch : Text) {
        if (ch == '"') Put('"');
        Put(ch);
    }
    Put('"');
}

void TTextSink::PutJsonString(std::string_view Text)
{
    Put('"');
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char ch = Text[i];
        // C0 controls are escaped always, as JSON demands; DEL and C1 only for a terminal.
        const std::size_t control = ControlAt(Text, i);
        if (ch == '"' || ch == '\\') {
            Put('\\');
            Put(ch);
        } else if (control == 1 && (ch != 0x7F || FShowControls)) {
            PutJsonEscape(static_cast<unsigned char>(ch));
        } else if (control == 2 && FShowControls) {
            PutJsonEscape(static_cast<unsigned char>(Text[++i]));
        } else {
            Put(ch);
        }
    }
    Put('"');
}

void TTextSink::PutJsonEscape(unsigned char Byte)
{
    const char escaped[] = {'\\', 'u', '0', '0', Hex[Byte >> 4], Hex[Byte & 15]};
    Put(std::string_view(escaped, sizeof escaped));
}
