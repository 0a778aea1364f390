// Buffered text output to a C stream, a file or memory: numbers in their shortest round-trip form
// with "." as the decimal separator, whatever the locale, and the quoting rules of CSV fields and
// JSON strings.
#pragma once

#include "blockfile.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Text with its control characters (C0, DEL, and C1 as UTF-8) written as \xNN, so that a name
// shown on a terminal cannot drive it; other bytes unchanged.
std::string ShowControls(std::string_view Text);

// Text that a sink collects in memory; its room is kept from use to use.
class TTextBlock {
  public:
    std::string_view View() const { return {FData.get(), FSize}; }
    void Clear() { FSize = 0; }

  private:
    friend class TTextSink;
    std::unique_ptr<char[]> FData;
    std::size_t FSize = 0, FCapacity = 0;
};

class TTextSink {
  public:
    // File stays the caller's; everything is written to it by Flush and the destructor.
    explicit TTextSink(std::FILE* File);
    // The same for a file descriptor, written in whole blocks (TBlockFile); Flush writes the rest.
    explicit TTextSink(int Fd);
    // Collects the text at the end of Memory instead, for a part formatted apart from the stream
    // it belongs to; Memory holds all of it after Flush and the destructor.
    explicit TTextSink(TTextBlock& Memory);
    ~TTextSink();
    TTextSink(const TTextSink&) = delete;
    TTextSink& operator=(const TTextSink&) = delete;

    void Put(std::string_view Text);
    void Put(char Ch);
    // The shortest text that reads back as the same double ("0.1", "1e-300", "-0").
    void PutNumber(double Value);
    // Each of the Count Values after Separator (",1.5,-2" for ","), in one go.
    void PutNumbers(const double* Values, int Count, std::string_view Separator);
    void PutInteger(long long Value);
    // A CSV field: quoted, with quotes doubled, when it holds a comma, quote, CR or LF, or
    // starts or ends with a blank.
    void PutCsvField(std::string_view Text);
    // A JSON string literal, quotes included.
    void PutJsonString(std::string_view Text);

    // For a terminal: names and strings show their control characters (ShowControls; in JSON
    // strings as \u escapes), so that they cannot drive the terminal. Files keep every byte.
    void SetShowControls(bool Value) { FShowControls = Value; }
    bool ShowsControls() const { return FShowControls; }

    // False once a write to the stream has failed; Errno() then tells why.
    bool Flush();
    bool Failed() const { return FFailed; }
    int Errno() const { return FErrno; }

  private:
    struct TFree {
        void operator()(char* p) const { std::free(p); }
    };
    explicit TTextSink(std::FILE* File, int Fd);
    std::size_t Room() const { return std::size_t(FEnd - FPos); }
    void Reserve(std::size_t Bytes);
    // Passes the buffer on to the stream; unless Last, a file may keep a partial block.
    void Drain(bool Last);
    void Grow(std::size_t Bytes);
    void Fail(int Errno);
    void PutJsonEscape(unsigned char Byte);

    std::FILE* FFile = nullptr;
    std::optional<TBlockFile> FBlocks;
    TTextBlock* FMemory = nullptr;
    std::unique_ptr<char, TFree> FBuffer; // for a stream or a file, aligned to whole blocks
    char* FBegin;
    char* FPos;
    char* FEnd;
    bool FFailed = false;
    int FErrno = 0;
    bool FShowControls = false;
};
