// What the console program does with cells that hold no number (empty, or not a number): the
// window analyses them as the 0 they store; --missing chooses to say so, to leave their rows out
// or to refuse the file.
#pragma once

#include "ZEV_datatable.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

enum TMissingMode : std::uint8_t { mmZero, mmDrop, mmError };

// "zero", "drop" or "error"; nothing for any other name.
std::optional<TMissingMode> MissingModeFromName(const QString& Name);

struct TMissingCells {
    std::int64_t Empty = 0;
    std::int64_t NotANumber = 0;
    int FirstCol = 0, FirstRow = 0; // the first such cell in reading order; 0 when there is none
    bool FirstEmpty = false;
    QString FirstColName, FirstRowName;
    std::int64_t Total() const { return Empty + NotANumber; }
    // Counts the cell of State at (Col, Row) when it holds no number; true when it is the first
    // such cell, whose names the caller then fills in.
    bool Count(std::uint8_t State, int Col, int Row);
};

// Whether a cell state marks a cell that holds no number.
bool IsMissingCell(std::uint8_t State);

TMissingCells CountMissingCells(const TDataTable& Table);

// Moves the rows without a missing cell, in their order and with their names, classes and cell
// states, to the top and cuts the rest; returns how many rows are left (the table keeps at least
// one row, unchanged, when none is).
int DropRowsWithMissingCells(TDataTable& Table);

enum TMissingOutcome : std::uint8_t { moAnalyse, moRefused, moNoRowLeft };

// What Mode makes of Cells, counted in Rows rows of File of which Kept hold none of them (drop),
// as HandleMissingCells tells it.
TMissingOutcome ReportMissingCells(const TMissingCells& Cells, int Rows, int Kept,
                                   const QString& File, TMissingMode Mode,
                                   const std::function<void(const QString&)>& Complain);

// Applies Mode to the table read from File, telling Complain what a user should know: the count
// of such cells (zero), how many rows were left out (drop), the first such cell (error).
TMissingOutcome HandleMissingCells(TDataTable& Table, const QString& File, TMissingMode Mode,
                                   const std::function<void(const QString&)>& Complain);
