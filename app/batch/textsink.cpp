#include "textsink.h"

#include <charconv>
#include <cstring>

namespace {
constexpr std::size_t BufferBytes = std::size_t(1) << 20;
constexpr std::size_t NumberBytes = 32; // "-2.2250738585072014e-308" and room to spare
} // namespace

TTextSink::TTextSink(std::FILE* File)
    : FFile(File), FBuffer(new char[BufferBytes]), FPos(FBuffer.get()),
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
    if (bytes > 0 && !FFailed && std::fwrite(FBuffer.get(), 1, bytes, FFile) != bytes)
        FFailed = true;
    FPos = FBuffer.get();
    if (!FFailed && std::fflush(FFile) != 0) FFailed = true;
    return !FFailed;
}

void TTextSink::Reserve(std::size_t Bytes)
{
    if (std::size_t(FEnd - FPos) < Bytes) Flush();
}

void TTextSink::Put(std::string_view Text)
{
    if (Text.size() > BufferBytes / 2) {
        Flush();
        if (!FFailed && std::fwrite(Text.data(), 1, Text.size(), FFile) != Text.size())
            FFailed = true;
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
    FPos = std::to_chars(FPos, FEnd, Value).ptr;
}

void TTextSink::PutInteger(long long Value)
{
    Reserve(NumberBytes);
    FPos = std::to_chars(FPos, FEnd, Value).ptr;
}

void TTextSink::PutCsvField(std::string_view Text)
{
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
    static const char hex[] = "0123456789abcdef";
    Put('"');
    for (char ch : Text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            Put('\\');
            Put(ch);
        } else if (byte < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 15]};
            Put(std::string_view(escaped, sizeof escaped));
        } else {
            Put(ch);
        }
    }
    Put('"');
}
