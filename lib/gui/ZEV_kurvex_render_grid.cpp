// The chart's grid: where its lines go on linear and logarithmic axes (fixed steps, decades,
// 1-2-5 and 1..9 steps within decades, or the axis ticks) and how they are drawn.
#include "ZEV_Scale.h"
#include "ZEV_kurvex_render.h"

#include <algorithm>
#include <cmath>

namespace {
// Lines per direction, and crossing points in all.
constexpr std::size_t GridCap = 1000;
// A mantissa this close above a step value counts as on it (1000 / 10^3 need not give 1).
constexpr double MantissaSlack = 1e-12;

// A grid value k * 10^e, kept as its two parts so that steps within a decade do not drift.
struct TDecadeValue {
    int K;
    int E;
    double Value() const { return K * std::pow(10.0, E); }
};

TDecadeValue Decade(double V)
{
    int e = int(std::floor(std::log10(V)));
    // log10 may land just beside an exact power of ten.
    if (std::pow(10.0, e + 1) <= V) ++e;
    if (std::pow(10.0, e) > V) --e;
    return {1, e};
}

double Mantissa(double V, int E)
{
    return V / std::pow(10.0, E);
}

// The grid values of one axis below its upper end, at most GridCap of them.
std::vector<double> GridValues(const TScaleProps& Axis, const TScale* Scale, double Step)
{
    const double lo = std::min(Axis.RangeLow(), Axis.RangeHigh());
    const double hi = std::max(Axis.RangeLow(), Axis.RangeHigh());
    std::vector<double> values;
    auto take = [&](double v) {
        if (!(v < hi) || values.size() >= GridCap) return false;
        values.push_back(v);
        return true;
    };
    const bool logSteps = Axis.Logarithmic() && Step < 0 && lo > 0;
    if (Step == 0) {
        if (!Scale || Scale->NumTicks() == 0) {
            take(lo);
            return values;
        }
        for (int i = 1; i <= Scale->NumTicks(); ++i)
            if (!take(Scale->TickValue(i))) break;
        return values;
    }
    if (!logSteps) {
        const double step = std::abs(Step);
        double v = std::ceil(lo / step) * step;
        for (std::size_t n = 0; n < GridCap && take(v); ++n) v += step;
        return values;
    }
    const TDecadeValue decade = Decade(lo);
    const double m = Mantissa(lo, decade.E);
    TDecadeValue v = decade;
    if (Step == -1) {
        v = {1, decade.E + (m > 1 + MantissaSlack ? 1 : 0)};
        while (take(v.Value())) ++v.E;
    } else if (Step == -2) {
        v.K = m <= 2 + MantissaSlack ? 2 : m <= 5 + MantissaSlack ? 5 : 10;
        while (take(v.Value())) {
            if (v.K == 10) v = {1, v.E + 1};
            v.K = v.K == 1 ? 2 : v.K == 2 ? 5 : 10;
        }
    } else {
        v.K = int(std::nearbyint(m));
        while (take(v.Value()))
            v = v.K >= 9 ? TDecadeValue{1, v.E + 1} : TDecadeValue{v.K + 1, v.E};
    }
    return values;
}
} // namespace

void TkxRenderPass::DrawGrid()
{
    const int layer = V.Store.Style.ActiveLayer;
    const TScaleProps& x = V.Layers.X(layer);
    const TScaleProps& y = V.Layers.Y(layer);
    const TkxAppearance& look = V.Look;
    const GridStyleType style = look.GridStyle;
    const bool vertical = style == gsVertLines || style == gsLines || style == gsVertDotLines ||
                          style == gsDotLines || style == gsPoints;
    const bool horizontal = style == gsHorizLines || style == gsLines || style == gsHorizDotLines ||
                            style == gsDotLines || style == gsPoints;
    const bool dotted = style == gsVertDotLines || style == gsHorizDotLines || style == gsDotLines;
    std::vector<int> xs, ys;
    if (vertical)
        for (double v : GridValues(x, V.GridScaleX, look.GridDx))
            xs.push_back(World(layer, v, y.RangeLow()).X);
    if (horizontal)
        for (double v : GridValues(y, V.GridScaleY, look.GridDy))
            ys.push_back(World(layer, x.RangeLow(), v).Y);

    C->Pen()->SetWidth(1);
    C->Pen()->SetColor(look.GridColor);
    if (style == gsPoints) {
        std::size_t points = 0;
        for (int x : xs)
            for (int y : ys)
                if (points++ < GridCap) C->SetPixel(x, y, look.GridColor);
        return;
    }
    C->Pen()->SetStyle(dotted ? psDot : psSolid);
    FPenColor = look.GridColor;
    FPenStyle = dotted ? psDot : psSolid;
    auto line = [this](int X1, int Y1, int X2, int Y2) {
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
    };
    for (int x : xs) line(x, FTop, x, FTop + FPlotH + 1);
    for (int y : ys) line(FLeft, y, FLeft + FPlotW + 1, y);
    C->Pen()->SetStyle(psSolid);
}
