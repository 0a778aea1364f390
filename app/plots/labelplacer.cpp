#include "labelplacer.h"

#include <algorithm>
#include <array>

namespace {
// The candidate rectangles of a label, preferred first: right, left, above, below, then the
// four corners.
std::array<QRect, 8> Candidates(const TLabelRequest& R)
{
    const int w = R.Size.width(), h = R.Size.height(), x = R.Anchor.x(), y = R.Anchor.y();
    const int g = LabelGap;
    const auto at = [&](int Left, int Top) { return QRect(Left, Top, w, h); };
    return {at(x + g, y - h / 2), at(x - g - w, y - h / 2), at(x - w / 2, y - g - h),
            at(x - w / 2, y + g), at(x + g, y - g - h),     at(x - g - w, y - g - h),
            at(x + g, y + g),     at(x - g - w, y + g)};
}

// Placed rectangles bucketed by a coarse grid, so that a test looks at near neighbours only.
class TOccupancy {
  public:
    explicit TOccupancy(const QRect& Bounds)
        : FOrigin(Bounds.topLeft()), FCols(Bounds.width() / Cell + 1),
          FRows(Bounds.height() / Cell + 1), FCells(std::size_t(FCols) * std::size_t(FRows))
    {
    }
    bool Free(const QRect& R) const
    {
        bool free = true;
        Visit(R, [&](const std::vector<QRect>& cell) {
            for (const QRect& other : cell) free = free && !other.intersects(R);
        });
        return free;
    }
    void Add(const QRect& R)
    {
        Visit(R, [&](std::vector<QRect>& cell) { cell.push_back(R); });
    }

  private:
    static constexpr int Cell = 32;
    template <typename F> void Visit(const QRect& R, F&& Action) const
    {
        const auto span = [this](int Lo, int Hi, int Origin, int Count, int& A, int& B) {
            A = std::clamp((Lo - Origin) / Cell, 0, Count - 1);
            B = std::clamp((Hi - Origin) / Cell, 0, Count - 1);
        };
        int c0, c1, r0, r1;
        span(R.left(), R.right(), FOrigin.x(), FCols, c0, c1);
        span(R.top(), R.bottom(), FOrigin.y(), FRows, r0, r1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                Action(const_cast<std::vector<QRect>&>(FCells[std::size_t(r * FCols + c)]));
    }
    QPoint FOrigin;
    int FCols, FRows;
    std::vector<std::vector<QRect>> FCells;
};
} // namespace

std::vector<QRect> PlaceLabels(const std::vector<TLabelRequest>& Requests, const QRect& Bounds,
                               const std::vector<QRect>& Obstacles)
{
    std::vector<QRect> placed(Requests.size());
    if (Bounds.isEmpty()) return placed;
    TOccupancy occupancy(Bounds);
    for (const QRect& r : Obstacles) occupancy.Add(r);
    for (const TLabelRequest& r : Requests)
        occupancy.Add(QRect(r.Anchor - QPoint(MarkReach, MarkReach),
                            QSize(2 * MarkReach + 1, 2 * MarkReach + 1)));
    for (std::size_t i = 0; i < Requests.size(); ++i)
        for (const QRect& candidate : Candidates(Requests[i]))
            if (Bounds.contains(candidate) && occupancy.Free(candidate)) {
                occupancy.Add(candidate);
                placed[i] = candidate;
                break;
            }
    return placed;
}
