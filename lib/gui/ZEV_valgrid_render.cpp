// Table editor: number texts, what each cell shows, and painting.
#include "ZEV_valgrid.h"

#include "ZEV_stringl.h"

#include <array>
#include <cmath>

// ---- number texts
// --------------------------------------------------------------------------------

QString FloatToField(int Width, int Decimals, double Value)
{
    Width = std::max(0, Width);
    if (Decimals >= 0) return FormatNum(Width, Decimals, Value);
    if (!std::isfinite(Value)) return FormatNum(Width, -1, Value);
    if (Decimals != -2) {
        // Beyond 26 characters the mantissa stops at 18 digits and blanks fill the field.
        QString text = FormatNum(std::min(Width, 26), -1, Value);
        if (text.size() < Width) text.prepend(QString(Width - text.size(), QChar(' ')));
        return text;
    }
    QString text = FloatToField(Width + 2, -1, Value);
    const qsizetype e = text.indexOf(QChar('E'));
    const bool fits = text.at(e + 2) == QChar('0') && text.at(e + 3) == QChar('0');
    text.remove(e + 2, 2);
    if (!fits) text.fill(QChar('*'));
    return text;
}

QString FormatCellNumber(int Width, int Precision, double Value)
{
    static constexpr std::array<double, 9> Smallest = {1,    1e-1, 1e-2, 1e-3, 1e-4,
                                                       1e-5, 1e-6, 1e-7, 1e-8};
    static constexpr std::array<double, 9> Ceiling = {1e9, 1e8, 1e7, 1e6, 1e5, 1e4, 1e3, 1e2, 1e1};
    if (Precision >= 0 && Precision <= 8) {
        const double lo = Smallest[std::size_t(Precision)];
        const double hi = Ceiling[std::size_t(Precision)] - lo;
        const double a = std::fabs(Value);
        // Nine significant digits at most; beyond them fixed notation would pretend precision.
        if (Value == 0 || (a >= lo && a <= hi)) return FormatNum(Width, Precision, Value);
    }
    return FloatToField(Width + 6, -2, Value);
}

QString WholeNumberText(double Value)
{
    const double r = std::nearbyint(Value) + 0.0; // no "-0"
    if (std::fabs(r) < 9.0e18) return QString::number(static_cast<long long>(r));
    return QString::number(r, 'f', 0);
}

std::vector<TPoint> EmptyMessageOrigins(int Width, int Height, int LineHeight,
                                        const std::vector<int>& LineWidths)
{
    const int n = int(LineWidths.size());
    std::vector<TPoint> origins;
    origins.reserve(LineWidths.size());
    for (int i = 1; i <= n; ++i)
        origins.push_back(
            {(Width - LineWidths[std::size_t(i - 1)]) / 2,
             (Height + n * LineHeight) / 2 + (i - 1) * LineHeight - n * LineHeight - 2});
    return origins;
}

// ---- cell looks
// ------------------------------------------------------------------------------------

QString TValgrid::CellText(int Col, int Row) const
{
    const std::uint8_t s = FTable->CellState(Col, Row);
    if (s & dtcsEmpty) return QString();
    if (s & dtcsNotANumber) return QStringLiteral("-nan-");
    if (FTable->IsCategory(Col)) {
        const double v = std::nearbyint(FTable->Elem(Col, Row));
        if (v >= 0 && v <= DTMaxLabelValue) {
            const QString label = FTable->ValueLabel(Col, int(v));
            if (!label.isEmpty()) return label;
        }
        return MeasLevelName(FTable->MeasLevel(Col)) + QChar(':') + WholeNumberText(v);
    }
    return FormatCellNumber(FNumWidth, Precision(Col), FTable->Elem(Col, Row));
}

TValgridCellLook TValgrid::DataCellLook(int ACol, int ARow, bool Selected)
{
    const int c = ACol - FA, r = ARow - FB;
    TValgridCellLook look;
    look.Text = CellText(c, r);
    look.Style = Font()->Style();
    switch (FTable->CellState(c, r) & (dtcsMarkA | dtcsMarkB)) {
    case dtcsMarkA:
        look.FontColor = FColorMarkedA;
        break;
    case dtcsMarkB:
        look.FontColor = FColorMarkedB;
        break;
    case dtcsMarkA | dtcsMarkB:
        look.FontColor = FColorMarkedBoth;
        break;
    default:
        look.FontColor = Selected ? FColorRangeSelFG : FColorNormal;
        break;
    }
    if ((FTable->CellState(c, r) & (dtcsMarkA | dtcsMarkB)) && FBoldMarks) look.Style |= fsBold;
    look.BrushColor = Selected ? FColorRangeSelBG : Color();
    if (OnBeforeRenderCell)
        OnBeforeRenderCell(this, c, r, look.Text, look.FontColor, look.BrushColor, look.Style);
    return look;
}

TValgridCellLook TValgrid::FixedCellLook(int ACol, int ARow)
{
    const TGridRect sel = Selection();
    TValgridCellLook look;
    look.BrushColor = FixedColor();
    look.FontColor = Font()->Color();
    look.Style = Font()->Style();
    if (ACol == 0 && ARow == 0) {
        if (FCommentEditing) {
            look.Text = QStringLiteral("Comment:");
            look.BrushColor = 8421376;
            look.FontColor = clWhite;
        } else {
            if (FShowCellCursor)
                look.Text = QStringLiteral("%1:%2").arg(sel.Left - FA).arg(sel.Top - FB);
            look.BrushColor = clWindow;
            look.FontColor = FColorNormal;
            look.DX = 3;
            look.DY = 2;
        }
        return look;
    }
    look.Inset = 1;
    look.RightCut = 2;
    const auto highlight = [&](bool On) {
        look.FontColor = On ? FColorSelected : FColorNormal;
        if (On && FBoldSelHeads) look.Style |= fsBold;
    };
    const bool dataCol = ACol > FA, dataRow = ARow > FB;
    if (dataCol && ARow == 0) {
        look.Text = ColName(ACol - FA);
        highlight(ACol == sel.Left);
    } else if (dataCol && FB == 1 && ARow == 1) {
        look.Text = QString::number(ColAttrib(ACol - FA));
        highlight(ACol == sel.Left);
    } else if (dataRow && ACol == 0) {
        look.Text = RowName(ARow - FB);
        look.DY = 0;
        highlight(ARow == sel.Top);
    } else if (dataRow && FA == 1 && ACol == 1) {
        look.Text = QString::number(RowAttrib(ARow - FB));
        highlight(ARow == sel.Top);
    } else if (FA == 1 && ACol == 1 && ARow == 0) {
        look.Text = QStringLiteral("Attrib");
        look.RightCut = 0;
    } else if (FB == 1 && ARow == 1 && ACol == 0) {
        look.Text = QStringLiteral("Attribute");
    } else {
        look.Draws = false; // where the attribute row meets the attribute column
    }
    return look;
}

TValgridCellLook TValgrid::CellLook(int ACol, int ARow)
{
    if (ACol > FA && ARow > FB) return DataCellLook(ACol, ARow, IsCellSelected(ACol, ARow));
    return FixedCellLook(ACol, ARow);
}

// ---- painting
// --------------------------------------------------------------------------------------

void TValgrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    TCanvas* c = Canvas();
    const bool data = ACol > FA && ARow > FB;
    const TValgridCellLook look =
        data ? DataCellLook(ACol, ARow, AState & gdSelected) : FixedCellLook(ACol, ARow);
    TRect r = ARect;
    if (!data) c->FillRect(r); // the platform's brush, so the margins left below are clean
    if (look.Inset && r.Width() > 0) r.Left += look.Inset, r.Right -= look.Inset;
    if (look.Inset && r.Height() > 0) r.Top += look.Inset, r.Bottom -= look.Inset;
    if (!look.Draws) return;
    c->Brush()->SetColor(look.BrushColor);
    c->Font()->SetColor(look.FontColor);
    c->Font()->SetStyle(look.Style);
    TRect clip = r;
    clip.Right -= look.RightCut;
    if (look.RightCut) c->FillRect(r);
    c->TextRect(clip, r.Left + look.DX, r.Top + look.DY, look.Text);
    if (!data) c->Font()->SetStyle(Font()->Style());
}

void TValgrid::Paint()
{
    if (FSuppressPaint || FBusy) return;
    TCustomGrid::Paint();
    if (NrOfRows() < 1) PaintEmptyMessage();
    if (FOptimizeRowHeight) {
        const int h = FitRowHeight(-1, 2);
        if (h != DefaultRowHeight()) TCustomGrid::SetDefaultRowHeight(h);
    }
}

void TValgrid::PaintEmptyMessage()
{
    TCanvas* c = Canvas();
    c->Pen()->SetColor(Color());
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, Width(), Height()));
    if (FEmptyMessage.isEmpty()) return;
    c->Font()->Assign(Font());
    c->Font()->SetColor(FColorEmptyMsg);
    const int h = c->TextHeight(FEmptyMessage);
    QStringList lines;
    SplitString(FEmptyMessage, QStringLiteral("|"), lines);
    std::vector<int> widths;
    for (const QString& line : lines) widths.push_back(c->TextWidth(line));
    const std::vector<TPoint> at = EmptyMessageOrigins(Width(), Height(), h, widths);
    for (qsizetype i = 0; i < lines.size(); ++i)
        c->TextOut(at[std::size_t(i)].X, at[std::size_t(i)].Y, lines[i]);
}

int TValgrid::FitRowHeight(int Index, int Extra)
{
    // Accents, descenders and brackets: the tallest glyphs a cell is likely to show.
    static const QString Sample = QStringLiteral("9GMg") + QChar(0xDC) + QStringLiteral("$") +
                                  QChar(0xA7) + QStringLiteral("[{|");
    TCanvas measure;
    measure.Font()->Assign(Font());
    const int h = std::max(8, measure.TextHeight(Sample) + Extra + 2);
    SetRowHeight(Index, h);
    return h;
}

void TValgrid::DrawCellCursor()
{
    if (!FShowCellCursor) return;
    const TRect r = CellRect(0, 0);
    if (r.Width() <= 0 || r.Height() <= 0) return;
    const TGridRect sel = Selection();
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWindow);
    c->Font()->Assign(Font());
    c->Font()->SetColor(FColorNormal);
    c->Font()->SetStyle(0);
    c->TextRect(r, r.Left + 3, r.Top + 2,
                QStringLiteral("%1:%2").arg(sel.Left - FA).arg(sel.Top - FB));
    ShowCanvas();
}
