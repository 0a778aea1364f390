// The numbers the console program writes about one analysis of a data table, and their CSV and
// JSON forms.
#pragma once

#include "ZEV_datatable.h"
#include "ZEV_math2.h"
#include "ZEV_vector.h"
#include "scoreblock.h"
#include "textsink.h"

#include <QString>
#include <vector>

struct TPCAExport {
    const TDataTable* Table = nullptr; // variable names, row names and classes
    int Variables = 0, Rows = 0, Components = 0;
    // The rows of Table are rows FirstRow + 1.. of the data: scores written a chunk at a time.
    int FirstRow = 0;
    // One entry per component of the analysis, also beyond Components.
    std::vector<double> Eigenvalues, RelativeEigenvalues, CumulativeShares;
    std::vector<double> Loadings; // by variable, Components values each
    // Computed as they are written, so that they cost no memory of the size of the table.
    TScoreBlocks Scores;

    bool AllFinite() const;
    // The same for everything but the scores.
    bool NumbersFinite() const;
};

// A result of CalcComponents for Table with Mean and StdDev: every eigenvalue, and the loadings
// and scores on components 1..Components.
TPCAExport CollectExport(TDataTable& Table, const TPCAResult& Result, const TVector& Mean,
                         const TVector& StdDev, int Components);

// RFC 4180 tables with a header line and CR LF line ends.
void WriteEigenvaluesCsv(const TPCAExport& Export, TTextSink& Out);
void WriteLoadingsCsv(const TPCAExport& Export, TTextSink& Out);
void WriteScoresCsv(const TPCAExport& Export, TTextSink& Out);
// The scores table in parts, for rows that come a chunk at a time: the header line, then the
// rows of each chunk.
void WriteScoresCsvHeader(const TPCAExport& Export, TTextSink& Out);
void WriteScoreRowsCsv(const TPCAExport& Export, TTextSink& Out);
// One JSON document with the three tables and where they come from.
void WriteJson(const TPCAExport& Export, const QString& Source, const QString& Scaling,
               TTextSink& Out);
// The same in parts: everything before the first score, the scores of each chunk, the end.
void WriteJsonHead(const TPCAExport& Export, const QString& Source, const QString& Scaling,
                   TTextSink& Out);
void WriteJsonScoreRows(const TPCAExport& Export, TTextSink& Out);
void WriteJsonTail(TTextSink& Out);
