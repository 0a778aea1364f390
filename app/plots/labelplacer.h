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

// Gap between a mark's centre and its label: the marks reach 3 pixels from their centre.
constexpr int LabelGap = 5;

// One rectangle per request, in request order; an empty one for a label that fits nowhere.
std::vector<QRect> PlaceLabels(const std::vector<TLabelRequest>& Requests, const QRect& Bounds);
