// Rows formatted on worker threads and written in order.
#include "parallelrows.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {
// Row r as "r\n", formatted through the pipeline into memory.
std::string Numbered(int Rows, int ChunkRows, int ThrowAt = -1)
{
    TTextBlock text;
    {
        TTextSink out(text);
        PutRowsInParallel(out, Rows, ChunkRows, [&](TTextSink& Sink, int First, int Count) {
            for (int r = First; r < First + Count; ++r) {
                if (r == ThrowAt) throw std::runtime_error("row " + std::to_string(r));
                Sink.PutInteger(r);
                Sink.Put('\n');
            }
        });
    }
    return std::string(text.View());
}
} // namespace

TEST(ParallelRows, ChunksArriveInOrderWhateverTheirNumberAndSize)
{
    struct TCase {
        int Rows, ChunkRows;
    };
    for (const TCase c : {TCase{0, 8}, {1, 8}, {8, 8}, {9, 8}, {1000, 7}, {100003, 64}}) {
        std::string want;
        for (int r = 0; r < c.Rows; ++r) want += std::to_string(r) + '\n';
        EXPECT_EQ(Numbered(c.Rows, c.ChunkRows), want) << c.Rows << " rows by " << c.ChunkRows;
    }
}

TEST(ParallelRows, AnExceptionOnAWorkerReachesTheCaller)
{
    for (const int row : {0, 5, 4095, 9999})
        EXPECT_THROW(Numbered(10000, 16, row), std::runtime_error) << row;
}
