// The large benchmark data file: 1,000,000 rows x 10 columns, uniform on [0, 1000), numbers with
// 10 significant digits (about 120 MB). The same numbers on every machine.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <benchmark/benchmark.h>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

inline constexpr int kRows = 1000000;
inline constexpr int kCols = 10;

inline std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Row R of the data, its cells apart by Separator, ending in CR LF. A cell is printed as
// "123.4567891", so 12 bytes on average with its separator.
inline void LargeRow(int R, char Separator, std::string& Line)
{
    char num[32];
    Line.clear();
    for (int c = 0; c < kCols; ++c) {
        const std::uint64_t bits = SplitMix(std::uint64_t(R) * kCols + std::uint64_t(c));
        const double v = double(bits >> 11) * 0x1p-53 * 1000.0;
        const auto res = std::to_chars(num, num + sizeof num, v, std::chars_format::general, 10);
        if (c) Line.push_back(Separator);
        Line.append(num, res.ptr);
    }
    Line += "\r\n";
}

// Writes Dir/large.asc and Dir/large.txt, the same rows without the header.
inline void WriteLargeAsc(const QString& Dir)
{
    std::ofstream asc(QFile::encodeName(Dir + "/large.asc").toStdString(), std::ios::binary);
    std::ofstream txt(QFile::encodeName(Dir + "/large.txt").toStdString(), std::ios::binary);
    asc << "Benchmark data, uniform on [0, 1000), 10 significant digits\r\n"
        << kCols << "\r\n"
        << kRows << "\r\nFALSE FALSE FALSE FALSE\r\n";
    std::string line;
    for (int r = 0; r < kRows; ++r) {
        LargeRow(r, ' ', line);
        asc << line;
        txt << line;
    }
}

// Takes "--data DIR" out of the arguments (the rest belongs to the benchmark library) and makes
// DIR; empty without the option.
inline QString TakeDataDirOption(int& argc, char** argv)
{
    QString dir;
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
            dir = QString::fromLocal8Bit(argv[++i]);
            QDir().mkpath(dir);
        } else {
            argv[out++] = argv[i];
        }
    }
    argc = out;
    return dir;
}

// main() of a benchmark program over generated files: "--data DIR" keeps them in DIR.
inline int RunBenchmarksWithDataDir(int argc, char** argv, QString& DataDir)
{
    DataDir = TakeDataDirOption(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
