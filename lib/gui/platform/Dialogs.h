// Modal message boxes and the file-open dialog. Each goes through a replaceable service so
// tests can record what would have been shown and answer in the user's place.
#pragma once

#include "Classes.h"

#include <QStringList>
#include <vector>

class QWidget;

enum TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : std::uint16_t {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64
};
using TMsgDlgButtons = std::uint16_t;
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

class TOpenDialog;

class TDialogService {
  public:
    virtual ~TDialogService() = default;
    virtual int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) = 0;
    // Shows the dialog; on confirmation stores the chosen file in Dialog and returns true.
    virtual bool ExecuteOpen(TOpenDialog& Dialog) = 0;
};

// The service in use; Qt's own dialogs unless a test put a stand-in in place.
TDialogService& Dialogs();
// Installs a service (nullptr restores the toolkit's dialogs); the caller keeps ownership.
void SetDialogService(TDialogService* Service);

// The window that message boxes belong to (the application's main window; nullptr: none). A box
// that belongs to the window that happens to be active would be left without an owner when that
// window, a file dialog say, has just closed; without a window manager such a box does not stay.
void SetDialogOwner(QWidget* Window);

int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
void ShowMessage(const QString& Msg);

class TOpenDialog : public TComponent {
  public:
    using TComponent::TComponent;
    QString FileName;
    QString Filter;
    QString InitialDir;
    QString Title;
    QWidget* ParentWidget = nullptr;
    bool Execute() { return Dialogs().ExecuteOpen(*this); }
};
