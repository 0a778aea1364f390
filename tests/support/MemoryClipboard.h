// Stand-in for the system clipboard.
#pragma once

#include "Clipboard.h"

// Test stand-in holding the text in memory.
class TMemoryClipboard : public TClipboard {
  public:
    QString Text;
    QString AsText() const override { return Text; }
    void SetAsText(const QString& Value) override { Text = Value; }
};
