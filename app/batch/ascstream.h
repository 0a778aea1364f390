// The console program's analysis of an ASC file read in passes, with memory that does not grow
// with the number of rows: the column sums (and every check of the file), the cross products,
// then the scores, computed and written a chunk of rows at a time. Every number and every byte
// written equal those of the analysis of the table read whole; the scatter matrix needs no
// sums, so its products come with the first pass.
#pragma once

#include "ZEV_asc_rowsource.h"
#include "ZEV_datatable.h"
#include "ZEV_math2.h"
#include "ZEV_math2_crossprod.h"
#include "ZEV_vector.h"
#include "fastsolver.h"
#include "missing.h"
#include "pcaexport.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct TStreamJob {
    QString File;
    int Scaling = 1;
    TMissingMode Missing = mmZero;
    TSolverKind Solver = skJacobi;
    bool ShowProgress = false;
    std::function<void(const QString&)> Complain;
};

enum TStreamOutcome : std::uint8_t {
    soAnalysed,     // Result() holds the components
    soAscError,     // AscCode() and AscRow() tell what the table's reader would
    soRefused,      // missing cells under --missing error, told
    soNoComponents, // told
    soNeedsTable,   // --solver fast with fewer rows than columns decomposes the rows themselves
};

class TAscStream {
  public:
    explicit TAscStream(TStreamJob Job);
    // The passes up to the components. Raises what the table's reader raises.
    TStreamOutcome Analyse();
    int AscCode() const { return FAscCode; }
    // The code whose meaning explains AscCode(), and the row that failed (0 for the header).
    int ExplainedAscCode() const { return FHeader.Explain(FAscCode); }
    int AscRow() const { return FAscRow; }
    const TPCAResult& Result() const { return FResult; }

    // The result on the first Components components, its table the column names, its rows all
    // the rows analysed; false when a number of it, scores included, is not finite (which may
    // take one more pass).
    bool Collect(int Components);
    const TPCAExport& Export() const { return FExport; }
    // The last pass: the score rows of Export, a chunk at a time. Raises EInOutError when the
    // file no longer reads as it did.
    void WriteScoreRows(TTextSink& Out, bool Json);

  private:
    // Reads every chunk of the file's rows, with their names when asked, into FChunk, counting
    // the missing cells when asked; Visit gets the rows to analyse. The code of the pass.
    int ForEachChunk(TAscRowSource& Source, bool WithNames, bool Count,
                     const std::function<void(const TAscRowChunk&)>& Visit);
    [[noreturn]] void ThrowChanged() const;
    // Raises the change when the code, the row count or the file's stamp tells of one.
    void CheckPass(int Code, long long Rows) const;
    // Moves the rows without a missing cell to the top; FOrigin tells where each came from.
    void KeepCompleteRows(long long FirstRow);
    void FirstPass(const TAscRowChunk& Chunk);
    void CountMissing(long long FirstRow);
    void CentreAndProducts();
    void FillMeanStdDev();
    // The rows of the chunk into the table that the scores are computed from.
    void ToScoreTable(const TAscRowChunk& Chunk);
    bool ScoresFinite();
    std::vector<const double*> Columns(const TAscRowChunk& Chunk) const;

    // Which file the name leads to, its size and its last modification: a file written again
    // between the passes with rows of the same shape still reads as changed.
    struct TFileStamp {
        unsigned long long Device = 0, Inode = 0;
        long long Size = -1, ModifiedNs = -1;
        bool operator==(const TFileStamp&) const = default;
    };
    static TFileStamp StampOf(const QString& File);

    TStreamJob FJob;
    TFileStamp FStamp;
    TAscHeader FHeader;
    int FAscCode = ascOK, FAscRow = 0;
    int FColumns = 0;
    TAscRowChunk FChunk, FAhead;    // the rows visited, the rows read meanwhile
    std::vector<long long> FOrigin; // file row of each row of the chunk
    long long FFileRows = 0, FRows = 0;
    TMissingCells FMissing;
    std::vector<double> FLo, FHi;               // of every column, over the rows analysed
    std::vector<double> FShift, FSum, FSquares; // sums about the first value, as TMatrix::MeanVar
    std::optional<TShiftedSums> FSums;
    std::optional<TCrossProductSums> FProducts;
    TDataTable FNames; // one row: the column names and levels
    TPCAResult FResult;
    TVector FMean, FStdDev;
    TPCAExport FExport;
    std::unique_ptr<TDataTable> FScoreTable; // the rows of one chunk
    TPCAExport FChunkExport;
};
