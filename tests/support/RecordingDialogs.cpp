#include "RecordingDialogs.h"

int TRecordingDialogs::MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
    Messages.push_back({Msg, DlgType, Buttons});
    return MessageResult;
}

bool TRecordingDialogs::ExecuteOpen(TOpenDialog& Dialog)
{
    OpenRequests.push_back(Dialog.FileName);
    OpenDirs.push_back(Dialog.InitialDir);
    if (FileAnswers.empty()) return false;
    const QString answer = FileAnswers.front();
    FileAnswers.pop_front();
    if (answer.isEmpty()) return false;
    Dialog.FileName = answer;
    return true;
}
