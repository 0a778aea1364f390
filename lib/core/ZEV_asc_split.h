// Reading the rows of a large ASC file on two cores. A second thread guesses a row start near
// the middle of the token stream (the start of a line), takes its row number from the line ends
// before it and parses from there straight into the cells. Its rows are kept only when the rows
// read on this thread end exactly at the guess with that number; otherwise its cells are cleared
// and reading goes on, on one core, from where this thread stopped. Either way the cells, states,
// names, classes, codes and cut are those of reading on one core.
#pragma once

#include "ZEV_asc_format.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

// When the split is tried; tests and benchmarks may change it.
struct TAscSplitTuning {
    // Token streams shorter than this are read on one core: the second thread would not pay.
    qint64 MinBytes = qint64(4) << 20;
    // Where the guess looks for the next line start: the fraction of the token stream given to
    // this thread, or a file offset when At >= 0.
    double Share = 0.5;
    qint64 At = -1;
    // Tries the split on one core too.
    bool EvenOnOneCore = false;
    // How many reads took the second thread's rows.
    std::atomic<int> Taken{0};
};
TAscSplitTuning& AscSplitTuning();

// The number of CR bytes among Size bytes.
std::size_t CountAscLineEnds(const char* Bytes, std::size_t Size);

// What the second thread read: its complete rows and how the row after them ended.
struct TAscHalfResult {
    struct TState {
        int Col, Row; // from 1
        std::uint8_t Value;
    };
    int Rows = 0;        // complete rows
    int Code = ascOK;    // of the row after them; ascOK when the last row allowed was read
    int Filled = 0;      // cells read in that row
    qint64 Stop = 0;     // file offset where reading stopped
    bool Failed = false; // an input error or no memory: the rows are not to be used
    // Kept aside until the rows are taken: in file order, from the first row on.
    std::vector<int> Classes;
    std::vector<QString> Names;
    std::vector<TState> States;
};

// Maps the pages of rows From..End-1 (from 0) of column-major cells a stretch ahead of the rows
// written, on the thread that writes them, so that two parsers need no third thread.
class TRowMapper {
  public:
    TRowMapper(double* Cells, std::size_t Stride, std::size_t Columns, std::size_t From,
               std::size_t End)
        : FCells(Cells), FStride(Stride), FColumns(Columns), FMapped(From), FEnd(End)
    {
    }
    void Ahead(std::size_t Row)
    {
        while (FMapped < FEnd && FMapped < Row + kStretchRows) MapNext();
    }
    // The next stretch; false when there is none.
    bool MapNext();
    void SetEnd(std::size_t End) { FEnd = End; }

  private:
    static constexpr std::size_t kStretchRows = 32768;
    double* FCells;
    std::size_t FStride, FColumns, FMapped, FEnd;
};

// The second thread. Cells are column-major, Stride apart; it writes rows up to LastRow (from 1)
// and nothing else of the table.
class TAscSecondHalf {
  public:
    // Starts the thread when the split pays (see AscSplitTuning).
    TAscSecondHalf(const QString& FileName, const TAscHeader& Header, double* Cells,
                   std::size_t Stride, int LastRow, qint64 RowsStart, qint64 FileSize);
    // Clears what was not taken.
    ~TAscSecondHalf() { Abandon(); }
    TAscSecondHalf(const TAscSecondHalf&) = delete;
    TAscSecondHalf& operator=(const TAscSecondHalf&) = delete;

    // Blocks until the guessed row is known: its number, or 0 when there is none to check (the
    // thread then writes nothing). Idle() is called while waiting until it returns false.
    template <class IdleFn> int FirstRow(IdleFn&& Idle)
    {
        bool idle = true;
        int first;
        while ((first = FFirstRow.load(std::memory_order_acquire)) < 0)
            if (!idle || !(idle = Idle())) FFirstRow.wait(-1, std::memory_order_acquire);
        return first;
    }
    // The file offset of the guessed row's first byte, once FirstRow is known.
    qint64 Start() const { return FStart; }
    // Waits for the thread; the result is the caller's to apply.
    TAscHalfResult& Finish();
    // Stops the thread and clears the cells it wrote.
    void Abandon();

  private:
    void Run(const QString& FileName, qint64 RowsStart, qint64 From);
    // The guessed row's number, from the line ends between RowsStart and the guess.
    int GuessRow(const QString& FileName, qint64 RowsStart);
    void ReadRows(TAscInput& In, int First);
    void Publish(int First);

    TAscHeader FHeader;
    double* FCells;
    std::size_t FStride;
    int FLastRow;
    qint64 FStart = -1;
    std::atomic<int> FFirstRow{-1};
    std::atomic<bool> FCancel{false};
    bool FDone = false; // taken or abandoned
    int FTouched = 0;   // rows from the first whose cells may have been written
    TAscHalfResult FResult;
    std::thread FThread;
};

// The file offset of the next token: separators are skipped, as every token reader does first.
inline qint64 AscNextTokenAt(TAscInput& In)
{
    for (int ch = In.Peek(); ch >= 0 && ch <= 32; ch = In.Peek()) In.Get();
    return In.Tell();
}

// Rows Row, Row + 1, ... on this thread with ReadRow(Row, Filled), which reads one row as on one
// core, until the second half's guess. Returns the code of the rows read; Row is then the next
// row to read on one core, or the failing one. When the guess holds, Take(Result, FirstRow) has
// applied the second half, In stands where it stopped and Filled belongs to its failing row.
template <class ReadRowFn, class TakeFn>
int ReadAscFirstHalf(TAscInput& In, TAscSecondHalf& Second, TRowMapper& Mapper, int& Row,
                     int& Filled, ReadRowFn&& ReadRow, TakeFn&& Take)
{
    const int first = Second.FirstRow([&] { return Mapper.MapNext(); });
    if (first == 0) return ascOK;
    Mapper.SetEnd(std::size_t(first - 1));
    try {
        for (;;) {
            const qint64 at = AscNextTokenAt(In);
            if (at >= Second.Start() || Row >= first) {
                if (at != Second.Start() || Row != first) break;
                TAscHalfResult& result = Second.Finish();
                if (result.Failed) break;
                Take(result, first);
                ++AscSplitTuning().Taken;
                Row = first + result.Rows;
                Filled = result.Filled;
                In.Seek(result.Stop);
                return result.Code;
            }
            Mapper.Ahead(std::size_t(Row - 1));
            const int code = ReadRow(Row, Filled);
            if (code != ascOK) {
                Second.Abandon();
                return code;
            }
            ++Row;
        }
    } catch (...) {
        Second.Abandon();
        throw;
    }
    Second.Abandon();
    return ascOK;
}
