// Places text labels beside their marks so that no two overlap: each label tries a few positions
// around its mark, in a fixed order, and is left out when none is free inside the bounds.
#pragma once

#include <QRect>
#include <QSize>
#include <vector>

struct TLabelRequest {
    QPoint Anchor; // the mark's pixel
    QSize Size;    // of the text
};

// The marks reach 3 pixels from their centre; a label keeps 2 more away.
constexpr int MarkReach = 3;
constexpr int LabelGap = MarkReach + 2;

// One rectangle per request, in request order; an empty one for a label that fits nowhere.
// Labels keep off the marks themselves and off the Obstacles (a legend, say).
std::vector<QRect> PlaceLabels(const std::vector<TLabelRequest>& Requests, const QRect& Bounds,
                               const std::vector<QRect>& Obstacles = {});
