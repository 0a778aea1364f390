// Feeds arbitrary text to the clipboard number scanner and checks what it promises: every
// number lies within the scan limit and inside the extent it reports, lines and cells arrive in
// reading order, and ScanNumber always leaves its position inside the text.
#include "ZEV_valgrid_scan.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
void Check(bool Condition)
{
    if (!Condition) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    // Half the inputs are read as UTF-8, half as raw UTF-16, so both byte-level oddities and
    // characters beyond Latin-1 reach the scanner.
    if (Size == 0) return 0;
    const bool utf16 = Data[0] & 1;
    const QString text =
        utf16 ? QString(reinterpret_cast<const QChar*>(Data + 1), qsizetype((Size - 1) / 2))
              : QString::fromUtf8(reinterpret_cast<const char*>(Data + 1), qsizetype(Size - 1));

    int lastI = -1, lastJ = 0, maxI = -1, maxJ = -1;
    const TExtractExtent extent = ExtractNumbers(text, [&](const TExtractRun& Run) {
        Check(Run.Count > 0);
        for (int k = 0; k < Run.Count; ++k) {
            const int i = Run.First + k, j = Run.Line;
            const double v = Run.Values[k];
            Check(std::isfinite(v) && std::fabs(v) <= ScanLimit);
            Check(j > lastJ || (j == lastJ && i > lastI));
            lastI = i;
            lastJ = j;
            maxI = std::max(maxI, i);
            maxJ = std::max(maxJ, j);
        }
    });
    Check(extent.Columns == maxI + 1 && extent.Rows == maxJ + 1);

    for (qsizetype start = 0; start < text.size(); start += 1 + text.size() / 8) {
        qsizetype pos = start;
        const double v =
            ScanNumber(text, Data[0] & 2, TDecimalSeparator(1 + (Data[0] >> 2) % 3), pos);
        Check(std::isfinite(v) && std::fabs(v) <= ScanLimit);
        Check(pos >= start && pos <= text.size());
    }
    return 0;
}
