#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

QString TClipboard::AsText() const
{
    return QGuiApplication::clipboard()->text();
}
void TClipboard::SetAsText(const QString& Text)
{
    QGuiApplication::clipboard()->setText(Text);
}

namespace {
TClipboard* replacement = nullptr;
}

TClipboard& Clipboard()
{
    static TClipboard system;
    return replacement ? *replacement : system;
}

void SetClipboard(TClipboard* Replacement)
{
    replacement = Replacement;
}
