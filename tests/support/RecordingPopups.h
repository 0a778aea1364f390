// Stand-in for the toolkit's popup menus: records each menu and picks an item by name.
#pragma once

#include "Menus.h"

#include <vector>

// Test stand-in: records each menu shown and chooses the item named in NextChoice.
class TRecordingPopups : public TPopupService {
  public:
    std::vector<TPopupMenu*> Shown;
    QString NextChoice;
    TMenuItem* Show(TPopupMenu& Menu, int X, int Y) override;
};
