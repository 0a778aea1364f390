#include "textsink.h"

#include "shortestdouble.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace {
constexpr std::size_t BufferBytes = std::size_t(1) << 20;
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

TTextSink::TTextSink(std::FILE* File)
    : FFile(File), FBuffer(new char[BufferBytes]), FPos(FBuffer.get()),
      FEnd(FBuffer.get() + BufferBytes)
{
}

TTextSink::TTextSink(std::string& Memory)
    : FMemory(&Memory), FBuffer(new char[BufferBytes]), FPos(FBuffer.get()),
      FEnd(FBuffer.get() + BufferBytes)
{
}

TTextSink::~TTextSink()
{
    Flush();
}

bool TTextSink::Flush()
{
    const std::size_t bytes = std::size_t(FPos - FBuffer.get());
    FPos = FBuffer.get();
    Write(FBuffer.get(), bytes);
    if (FFile && !FFailed && std::fflush(FFile) != 0) {
        FFailed = true;
        FErrno = errno;
    }
    return !FFailed;
}

void TTextSink::Write(const char* Data, std::size_t Size)
{
    if (FMemory) {
        FMemory->append(Data, Size);
        return;
    }
    if (Size == 0 || FFailed || std::fwrite(Data, 1, Size, FFile) == Size) return;
    FFailed = true;
    FErrno = errno;
}

void TTextSink::Reserve(std::size_t Bytes)
{
    if (std::size_t(FEnd - FPos) < Bytes) Flush();
}

void TTextSink::Put(std::string_view Text)
{
    if (Text.size() > BufferBytes / 2) {
        Flush();
        Write(Text.data(), Text.size());
        return;
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
