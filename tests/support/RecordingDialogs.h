// Stand-in for the toolkit's dialogs: records every message box and answers file dialogs.
#pragma once

#include "Dialogs.h"

#include <deque>
#include <vector>

// Test stand-in: records every message and answers file dialogs from a queue
// (an empty answer means "cancelled").
class TRecordingDialogs : public TDialogService {
  public:
    struct Message {
        QString Text;
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
    };
    std::vector<Message> Messages;
    std::deque<QString> FileAnswers;
    std::vector<QString> OpenRequests; // the FileName each dialog was shown with
    std::vector<QString> OpenDirs;     // and its InitialDir
    int MessageResult = mrOk;

    int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) override;
    bool ExecuteOpen(TOpenDialog& Dialog) override;
};

// Installs a service for the lifetime of the guard.
class TScopedDialogService {
  public:
    explicit TScopedDialogService(TDialogService* Service) { SetDialogService(Service); }
    ~TScopedDialogService() { SetDialogService(nullptr); }
};
