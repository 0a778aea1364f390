// Finds the mark nearest to the mouse among many: a two-dimensional tree over the marks' world
// points, built once per analysis, searched with the distance in pixels of the current mapping.
#pragma once

#include <vector>

class THoverIndex {
  public:
    struct TPoint {
        double X = 0, Y = 0;
    };
    THoverIndex() = default;
    explicit THoverIndex(std::vector<TPoint> Points);
    int Count() const { return int(FPoints.size()); }
    // The index (into the points as given) of the point nearest to (X, Y) whose distance is at
    // most Radius pixels, a world unit measuring PixelsPerX and PixelsPerY pixels along the
    // axes; -1 when there is none. Ties go to the lower index.
    int Nearest(double X, double Y, double PixelsPerX, double PixelsPerY, double Radius) const;

  private:
    struct TNode {
        TPoint P;
        int Index;
    };
    struct TQuery;
    void Build(std::size_t Lo, std::size_t Hi, int Depth);
    void Search(std::size_t Lo, std::size_t Hi, int Depth, TQuery& Q) const;
    std::vector<TNode> FPoints; // in tree order: the middle of each range splits it
};
