#include "RecordingPopups.h"

TMenuItem* TRecordingPopups::Show(TPopupMenu& Menu, int, int)
{
    Shown.push_back(&Menu);
    return NextChoice.isEmpty() ? nullptr : Menu.Items()->Find(NextChoice);
}
