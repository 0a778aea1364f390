// Buffered text output to a C stream: numbers in their shortest round-trip form with "." as the
// decimal separator, whatever the locale, and the quoting rules of CSV fields and JSON strings.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Text with its control characters (C0, DEL, and C1 as UTF-8) written as \xNN, so that a name
// shown on a terminal cannot drive it; other bytes unchanged.
std::string ShowControls(std::string_view Text);

class TTextSink {
  public:
    // File stays the caller's; everything is written to it by Flush and the destructor.
    explicit TTextSink(std::FILE* File);
    // Collects the text in Memory instead (appended by Flush and the destructor), for a part
    // formatted apart from the stream it belongs to.
    explicit TTextSink(std::string& Memory);
    ~TTextSink();
    TTextSink(const TTextSink&) = delete;
    TTextSink& operator=(const TTextSink&) = delete;

    void Put(std::string_view Text);
    void Put(char Ch);
    // The shortest text that reads back as the same double ("0.1", "1e-300", "-0").
    void PutNumber(double Value);
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
    void Reserve(std::size_t Bytes);
    void Write(const char* Data, std::size_t Size);
    void PutJsonEscape(unsigned char Byte);

    std::FILE* FFile = nullptr;
    std::string* FMemory = nullptr;
    std::unique_ptr<char[]> FBuffer;
    char* FPos;
    char* FEnd;
    bool FFailed = false;
    int FErrno = 0;
    bool FShowControls = false;
};
