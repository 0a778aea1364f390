// Buffered text output to a C stream: numbers in their shortest round-trip form with "." as the
// decimal separator, whatever the locale, and the quoting rules of CSV fields and JSON strings.
#pragma once

#include <cstdio>
#include <memory>
#include <string_view>

class TTextSink {
  public:
    // File stays the caller's; everything is written to it by Flush and the destructor.
    explicit TTextSink(std::FILE* File);
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

    // False once a write to the stream has failed.
    bool Flush();
    bool Failed() const { return FFailed; }

  private:
    void Reserve(std::size_t Bytes);

    std::FILE* FFile;
    std::unique_ptr<char[]> FBuffer;
    char* FPos;
    char* FEnd;
    bool FFailed = false;
};
