// The system clipboard as plain text, behind a replaceable service.
#pragma once

#include <QString>

class TClipboard {
  public:
    virtual ~TClipboard() = default;
    virtual QString AsText() const;
    virtual void SetAsText(const QString& Text);
};

// Test stand-in holding the text in memory.
class TMemoryClipboard : public TClipboard {
  public:
    QString Text;
    QString AsText() const override { return Text; }
    void SetAsText(const QString& Value) override { Text = Value; }
};

TClipboard& Clipboard();
// Installs a clipboard (nullptr restores the system clipboard); the caller keeps ownership.
void SetClipboard(TClipboard* Replacement);
