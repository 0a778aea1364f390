// Feeds arbitrary bytes to TDataTable::ReadASCFile through a file and checks that the table
// stays consistent, whatever the result code.
#include "ZEV_datatable.h"
#include "ZEV_matrix.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Headers asking for more cells than this are not worth the time of a fuzzing run: a large
// table only repeats what a small one exercises, and its allocation would hit the RSS limit.
constexpr std::uint64_t kMaxCells = 200000;

// The count of a header line as the reader takes it (saturating), or 0 when there is none.
std::uint64_t HeaderCount(const std::uint8_t*& p, const std::uint8_t* end)
{
    const std::uint8_t* cr = p;
    while (cr < end && *cr != '\r') ++cr;
    const std::uint8_t* q = p;
    p = cr < end ? cr + 1 : end;
    if (p < end && *p == '\n') ++p;
    while (q < cr && *q <= 32) ++q;
    if (q < cr && *q == '+') ++q;
    std::uint64_t n = 0;
    for (; q < cr && *q >= '0' && *q <= '9'; ++q) n = n < (1ull << 40) ? n * 10 + (*q - '0') : n;
    return n;
}

bool SmallEnough(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t* p = data;
    const std::uint8_t* end = data + size;
    HeaderCount(p, end); // the comment line
    const std::uint64_t cols = HeaderCount(p, end);
    const std::uint64_t rows = HeaderCount(p, end);
    return cols <= kMaxCells && rows <= kMaxCells && cols * rows <= kMaxCells;
}

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

const std::string& FilePath()
{
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/fuzz_asc_reader_" +
               std::to_string(getpid()) + ".asc";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!SmallEnough(data, size)) return -1;
    std::FILE* f = std::fopen(FilePath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    TDataTable table;
    TStr2DArray custom;
    int code = ascOK;
    try {
        code = table.ReadASCFile(QString::fromStdString(FilePath()), custom);
    } catch (const EConvertError&) {
        // a malformed level line; the table must still be whole
    }
    Check(code == ascOK || (code <= -1 && code >= -6));
    Check(custom.size() == 2 && custom[0].size() == custom[1].size());
    const int cols = table.NrOfColumns(), rows = table.NrOfRows();
    Check(cols >= 1 && rows >= 1);
    Check(table.DataMat()->NrOfColumns() == cols && table.DataMat()->NrOfRows() == rows);
    // Linear in the input: only category columns hold labels, and each takes a line of it.
    for (int c = 1; c <= cols; ++c) {
        Check(table.ColName(c).size() <= DTNameLength);
        Check(table.MeasLevel(c) <= mlRatio);
        if (table.IsCategory(c))
            for (int v = 0; v <= DTMaxLabelValue; ++v)
                Check(table.ValueLabel(c, v).size() <= DTLabelLength);
    }
    for (int r = 1; r <= rows; ++r) Check(table.RowName(r).size() <= DTNameLength);
    for (int c = 1; c <= cols; ++c)
        for (int r = 1; r <= rows; ++r) {
            const std::uint8_t s = table.CellState(c, r);
            Check(s == 0 || s == dtcsNotANumber || s == dtcsEmpty || s == dtcsParenthesis);
            Check(table.DataMat()->Elem(c, r) == table.DataMat()->Elem(c, r)); // never NaN
        }
    for (QChar ch : table.Comment()) Check(ch.unicode() >= 32);
    // The table is usable afterwards.
    table.InsertRow(1);
    table.DeleteColumn(cols);
    return 0;
}
