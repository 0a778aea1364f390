#include "hoverindex.h"

#include <algorithm>
#include <cmath>

struct THoverIndex::TQuery {
    double X, Y, Kx, Ky;
    double Best; // squared pixel distance to beat
    int Index = -1;
};

THoverIndex::THoverIndex(std::vector<TPoint> Points)
{
    FPoints.reserve(Points.size());
    for (std::size_t i = 0; i < Points.size(); ++i)
        if (std::isfinite(Points[i].X) && std::isfinite(Points[i].Y))
            FPoints.push_back({Points[i], int(i)});
    Build(0, FPoints.size(), 0);
}

void THoverIndex::Build(std::size_t Lo, std::size_t Hi, int Depth)
{
    if (Hi - Lo < 2) return;
    const std::size_t mid = Lo + (Hi - Lo) / 2;
    const bool byX = Depth % 2 == 0;
    std::nth_element(FPoints.begin() + std::ptrdiff_t(Lo), FPoints.begin() + std::ptrdiff_t(mid),
                     FPoints.begin() + std::ptrdiff_t(Hi), [byX](const TNode& A, const TNode& B) {
                         return byX ? A.P.X < B.P.X : A.P.Y < B.P.Y;
                     });
    Build(Lo, mid, Depth + 1);
    Build(mid + 1, Hi, Depth + 1);
}

void THoverIndex::Search(std::size_t Lo, std::size_t Hi, int Depth, TQuery& Q) const
{
    if (Lo >= Hi) return;
    const std::size_t mid = Lo + (Hi - Lo) / 2;
    const TNode& n = FPoints[mid];
    const double dx = (n.P.X - Q.X) * Q.Kx, dy = (n.P.Y - Q.Y) * Q.Ky;
    const double d = dx * dx + dy * dy;
    if (d < Q.Best || (d == Q.Best && (Q.Index < 0 || n.Index < Q.Index)))
        Q.Best = d, Q.Index = n.Index;
    const double split = Depth % 2 == 0 ? dx : dy; // node minus query, in pixels
    // The side of the query first; the other side only if the splitting line is within reach.
    const bool queryBelow = split > 0;
    const auto near = [&] {
        if (queryBelow)
            Search(Lo, mid, Depth + 1, Q);
        else
            Search(mid + 1, Hi, Depth + 1, Q);
    };
    const auto far = [&] {
        if (queryBelow)
            Search(mid + 1, Hi, Depth + 1, Q);
        else
            Search(Lo, mid, Depth + 1, Q);
    };
    near();
    if (split * split <= Q.Best) far();
}

int THoverIndex::Nearest(double X, double Y, double PixelsPerX, double PixelsPerY,
                         double Radius) const
{
    TQuery q{X, Y, std::abs(PixelsPerX), std::abs(PixelsPerY), Radius * Radius};
    Search(0, FPoints.size(), 0, q);
    return q.Index;
}
