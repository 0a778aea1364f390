// The text table reader in two passes over the file: the first learns its layout and finds every
// fault without touching the table; the second fills the table, sized once, straight from the
// file. So the table is unchanged after a fault, and a load needs no copy of the data.
#include "ZEV_texttable.h"

#include "Classes.h"
#include "ZEV_matrix.h"
#include "ZEV_stringl.h"
#include "ZEV_texttable_input.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <limits>
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

constexpr int kNoField = -1;
constexpr int kMaxClass = 255;

// Names as the file spells them: UTF-8, or Latin-1 when they are not valid UTF-8.
QString DecodeName(std::string_view Bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(QByteArrayView(Bytes.data(), qsizetype(Bytes.size())));
    if (utf8.hasError()) s = QString::fromLatin1(Bytes.data(), qsizetype(Bytes.size()));
    return LeftOnCharBoundary(s, DTNameLength);
}

bool IsClassNumber(std::string_view Text, bool DecimalComma, double& Value)
{
    return ParseCellNumber(Text, DecimalComma, Value) && Value >= 0 && Value <= kMaxClass &&
           Value == std::floor(Value);
}

using TRecordTexts = std::vector<std::string>;

TRecordTexts ReadRecordTexts(TTextInput& In)
{
    TRecordTexts texts;
    TFieldEnd end = feSeparator;
    while (end == feSeparator) texts.emplace_back(In.NextField(end));
    return texts;
}

// What the first pass learns of a file.
struct TLayout {
    TTextDialect Dialect;
    bool Heading = false;
    int HeadingLine = 1;
    int Fields = 0; // per record
    int NameField = kNoField;
    int ClassField = kNoField;
    std::vector<QString> FieldNames; // per field; empty without a heading
    int Rows = 0;

    int DataColumns() const
    {
        return Fields - int(NameField != kNoField) - int(ClassField != kNoField);
    }
    bool IsNumber(std::string_view Text) const
    {
        double v = 0;
        return ParseCellNumber(Text, Dialect.DecimalComma, v);
    }
};

QString FieldCountText(int Expected, int Line, int Found)
{
    return QStringLiteral("%1 fields, as on line %2; found %3").arg(Expected).arg(Line).arg(Found);
}

// The first pass: the dialect, the heading, the roles of the columns and the number of rows;
// every fault of the text.
class TLayoutScan {
  public:
    explicit TLayoutScan(TTextInput& Input) : In(Input) {}

    TLayout Run()
    {
        L.Dialect = DetectDialect(In.Start());
        In.SetDialect(L.Dialect);
        if (!In.NextRecord())
            In.Fault(In.Line(), 0, QStringLiteral("a heading or a row of data, found no text"));
        L.HeadingLine = In.RecordLine();
        TRecordTexts first = ReadRecordTexts(In);
        L.Heading = std::any_of(first.begin() + std::ptrdiff_t(first.size() > 1), first.end(),
                                [this](const std::string& s) { return !L.IsNumber(s); });
        if (!L.Heading) return Finish(first, first);
        if (!In.NextRecord())
            In.Fault(In.Line(), 0, QStringLiteral("a row of data after the heading"));
        return Finish(first, ReadRecordTexts(In));
    }

  private:
    TLayout Finish(TRecordTexts Heading, const TRecordTexts& FirstRow)
    {
        const int rowLine = In.RecordLine();
        L.Fields = int(FirstRow.size());
        const std::string& first = FirstRow.front();
        if (!IsMissingToken(first) && !L.IsNumber(first)) L.NameField = 0;
        if (L.Heading) {
            // The row names' column may go without a heading of its own.
            if (L.NameField == 0 && Heading.size() + 1 == FirstRow.size())
                Heading.insert(Heading.begin(), std::string());
            const int found = int(Heading.size());
            if (found != L.Fields)
                In.Fault(rowLine, std::min(found, L.Fields) + 1,
                         FieldCountText(found, L.HeadingLine, L.Fields));
            for (const std::string& name : Heading) L.FieldNames.push_back(DecodeName(name));
        }
        FindClassCandidates();
        for (int f = 0; f < L.Fields; ++f) CheckClass(f, FirstRow[std::size_t(f)]);
        L.Rows = 1;
        ScanRows(rowLine);
        for (int f = 0; f < L.Fields && L.ClassField == kNoField; ++f)
            if (Candidate[std::size_t(f)]) L.ClassField = f;
        if (L.DataColumns() < 1)
            In.Fault(L.HeadingLine, 0,
                     QStringLiteral("a column of numbers besides the row names and the class "
                                    "numbers"));
        return L;
    }

    void FindClassCandidates()
    {
        Candidate.assign(std::size_t(L.Fields), false);
        for (int f = 0; f < int(L.FieldNames.size()); ++f)
            Candidate[std::size_t(f)] =
                f != L.NameField &&
                L.FieldNames[std::size_t(f)].trimmed().compare(QLatin1String("class"),
                                                               Qt::CaseInsensitive) == 0;
        AnyCandidate = std::find(Candidate.begin(), Candidate.end(), true) != Candidate.end();
    }

    void CheckClass(int Field, std::string_view Text)
    {
        double v = 0;
        if (Candidate[std::size_t(Field)] && !IsClassNumber(Text, L.Dialect.DecimalComma, v))
            Candidate[std::size_t(Field)] = false;
    }

    void ScanRows(int FirstLine)
    {
        const int reference = L.Heading ? L.HeadingLine : FirstLine;
        while (In.NextRecord()) {
            const int line = In.RecordLine();
            int f = AnyCandidate ? 0 : In.SkipPlainRecord();
            TFieldEnd end = f ? feLineEnd : feSeparator;
            for (; end == feSeparator; ++f) {
                const std::string_view text = In.NextField(end);
                if (AnyCandidate && f < L.Fields) CheckClass(f, text);
            }
            if (f != L.Fields)
                In.Fault(line, std::min(f, L.Fields) + 1, FieldCountText(L.Fields, reference, f));
            if (L.Rows == std::numeric_limits<int>::max())
                In.Fault(line, 0, QStringLiteral("at most %1 rows").arg(L.Rows));
            ++L.Rows;
        }
    }

    TTextInput& In;
    TLayout L;
    std::vector<bool> Candidate;
    bool AnyCandidate = false;
};

// Holds the table's notifications back while it is rebuilt; Finish restores them and announces
// the new contents once per kind, in the order a load of an ASC file does.
class TTableRebuild {
  public:
    explicit TTableRebuild(TDataTable& Table)
        : T(Table), OldColumns(Table.NrOfColumns()), OldRows(Table.NrOfRows()),
          Change(Take(Table.OnChange)), Setup(Take(Table.OnChangeSetup)),
          Names(Take(Table.OnChangeNames)), Attrib(Take(Table.OnChangeAttrib)),
          CellState(Take(Table.OnChangeCellState)), Resize(Take(Table.OnResize))
    {
    }
    ~TTableRebuild() { Restore(); }
    TTableRebuild(const TTableRebuild&) = delete;
    TTableRebuild& operator=(const TTableRebuild&) = delete;

    void Finish()
    {
        Restore();
        FireEvent(T.OnChange, &T);
        FireEvent(T.OnChangeCellState, &T);
        FireEvent(T.OnChangeAttrib, &T);
        FireEvent(T.OnChangeNames, &T);
        FireEvent(T.OnChangeSetup, &T);
        FireEvent(T.OnResize, &T, OldColumns, OldRows, T.NrOfColumns(), T.NrOfRows());
    }

  private:
    template <typename Event> static Event Take(Event& E)
    {
        Event held = std::move(E);
        E = nullptr;
        return held;
    }
    void Restore()
    {
        if (Restored) return;
        Restored = true;
        T.OnChange = std::move(Change);
        T.OnChangeSetup = std::move(Setup);
        T.OnChangeNames = std::move(Names);
        T.OnChangeAttrib = std::move(Attrib);
        T.OnChangeCellState = std::move(CellState);
        T.OnResize = std::move(Resize);
    }

    TDataTable& T;
    const int OldColumns, OldRows;
    TNotifyEvent Change, Setup, Names, Attrib, CellState;
    TDataTableResizeEvent Resize;
    bool Restored = false;
};

QString DefaultName(char Kind, int Index)
{
    return QStringLiteral("%1-%2").arg(QLatin1Char(Kind)).arg(Index);
}

// The cells are written once from the first to the last: where the system offers large pages on
// request, they save a page fault for every 4 KiB of a large table.
void AdviseLargePages([[maybe_unused]] double* Cells, [[maybe_unused]] std::size_t Count)
{
#ifdef __linux__
    constexpr std::uintptr_t page = 4096;
    const auto begin = (reinterpret_cast<std::uintptr_t>(Cells) + page - 1) & ~(page - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(Cells + Count) & ~(page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

[[noreturn]] void FileChanged()
{
    throw EInOutError(QStringLiteral("The file changed while it was read"));
}

// The second pass: the table gets the layout's size and everything the file holds.
class TTableFill {
  public:
    TTableFill(TDataTable& Table, TTextInput& Input, const TLayout& Layout)
        : T(Table), In(Input), L(Layout)
    {
    }

    void Run()
    {
        Prepare();
        In.Start();
        In.SetDialect(L.Dialect);
        if (L.Heading) {
            In.NextRecord();
            ReadRecordTexts(In);
        }
        for (int r = 1; r <= L.Rows; ++r) {
            if (!In.NextRecord()) FileChanged();
            ReadRow(r);
        }
    }

  private:
    // The new size, and everything kept from the old contents set as a fresh table has it.
    void Prepare()
    {
        const int columns = L.DataColumns();
        const int keptColumns = std::min(T.NrOfColumns(), columns);
        const int keptRows = std::min(T.NrOfRows(), L.Rows);
        T.Resize(columns, L.Rows);
        AdviseLargePages(T.DataMat()->ColumnData(1), std::size_t(columns) * std::size_t(L.Rows));
        T.SetComment(QString());
        T.DataMat()->SetDataID(QString());
        for (int c = 1; c <= keptColumns; ++c) {
            T.SetColAttrib(c, 0);
            T.SetMeasLevel(c, mlInterval);
            for (int v = 0; v <= DTMaxLabelValue; ++v) T.SetValueLabel(c, v, QString());
            for (int r = 1; r <= keptRows; ++r)
                if (T.CellState(c, r)) T.SetCellState(c, r, 0);
        }
        for (int r = 1; r <= keptRows; ++r) {
            if (L.NameField == kNoField) T.SetRowName(r, DefaultName('R', r));
            if (L.ClassField == kNoField) T.SetRowAttrib(r, 0);
        }
        Column.assign(std::size_t(L.Fields), 0);
        Cells.assign(std::size_t(L.Fields), nullptr);
        int c = 0;
        for (int f = 0; f < L.Fields; ++f) {
            if (f == L.NameField || f == L.ClassField) continue;
            Column[std::size_t(f)] = ++c;
            Cells[std::size_t(f)] = T.DataMat()->ColumnData(c);
            const QString name = L.Heading ? L.FieldNames[std::size_t(f)] : QString();
            if (!name.isEmpty())
                T.SetColName(c, name);
            else if (L.Heading || c <= keptColumns)
                T.SetColName(c, DefaultName('C', c));
        }
    }

    void ReadRow(int Row)
    {
        const std::size_t ri = std::size_t(Row - 1);
        for (int f = 0;; ++f) {
            f = In.NextNumbers(Cells.data(), ri, f, L.Fields);
            if (f < 0) FileChanged();
            if (f == L.Fields) return;
            TFieldEnd end = feSeparator;
            const std::string_view text = In.NextField(end);
            double v = 0;
            if (Cells[std::size_t(f)])
                Cells[std::size_t(f)][ri] = ReadCell(Column[std::size_t(f)], Row, text);
            else if (f == L.NameField)
                SetRowName(Row, DecodeName(text));
            else if (IsClassNumber(text, L.Dialect.DecimalComma, v))
                T.SetRowAttrib(Row, int(v));
            else
                FileChanged();
            if ((end == feSeparator) != (f + 1 < L.Fields)) FileChanged();
            if (f + 1 == L.Fields) return;
        }
    }

    // An empty name, also one that cutting left empty, reads as the default name.
    void SetRowName(int Row, const QString& Name)
    {
        T.SetRowName(Row, Name.isEmpty() ? DefaultName('R', Row) : Name);
    }

    double ReadCell(int Col, int Row, std::string_view Text)
    {
        double v = 0;
        if (ParseCellNumber(Text, L.Dialect.DecimalComma, v)) return v;
        T.SetCellState(Col, Row, IsMissingToken(Text) ? dtcsEmpty : dtcsNotANumber);
        return 0;
    }

    TDataTable& T;
    TTextInput& In;
    const TLayout& L;
    std::vector<int> Column;     // per field: its column in the table, 0 for names and classes
    std::vector<double*> Cells;  // per field: the column's cells, or nullptr
};

} // namespace

QString TTextTableResult::Text() const
{
    QString where;
    if (Line > 0)
        where = Column > 0 ? QStringLiteral("line %1, column %2: ").arg(Line).arg(Column)
                           : QStringLiteral("line %1: ").arg(Line);
    return where + QStringLiteral("expected ") + Expected;
}

TTextTableResult ReadTextTable(TDataTable& Table, QIODevice& Device)
{
    TTextInput in(Device);
    TLayout layout;
    try {
        layout = TLayoutScan(in).Run();
    } catch (const TTextTableFault& fault) {
        return {fault.Line, fault.Column, fault.Expected};
    }
    TTableRebuild rebuild(Table);
    try {
        TTableFill(Table, in, layout).Run();
    } catch (const TTextTableFault&) {
        rebuild.Finish();
        FileChanged(); // the first pass found no fault
    } catch (...) {
        rebuild.Finish();
        throw;
    }
    rebuild.Finish();
    return {};
}

TTextTableResult ReadTextTable(TDataTable& Table, const QString& FileName)
{
    // Only regular files: a device or pipe can neither be read twice nor be bounded.
    if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
        return {0, 0, QStringLiteral("an existing file")};
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EInOutError(
            QStringLiteral("Cannot open file \"%1\": %2").arg(FileName, file.errorString()));
    return ReadTextTable(Table, file);
}
