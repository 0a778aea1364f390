// The system clipboard as plain text, behind a replaceable service.
#pragma once

#include <QString>

class TClipboard {
  public:
    virtual ~TClipboard() = default;
    virtual QString AsText() const;
    virtual void SetAsText(const QString& Text);
};

TClipboard& Clipboard();
// Installs a clipboard (nullptr restores the system clipboard); the caller keeps ownership.
void SetClipboard(TClipboard* Replacement);
