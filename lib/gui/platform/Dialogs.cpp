#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

namespace {
QPointer<QWidget>& DialogOwner()
{
    static QPointer<QWidget> owner;
    return owner;
}

QMessageBox::Icon IconOf(TMsgDlgType Type)
{
    switch (Type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

class TToolkitDialogs : public TDialogService {
  public:
    int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons) override
    {
        static constexpr std::pair<TMsgDlgBtn, QMessageBox::StandardButton> map[] = {
            {mbYes, QMessageBox::Yes},      {mbNo, QMessageBox::No},
            {mbOK, QMessageBox::Ok},        {mbCancel, QMessageBox::Cancel},
            {mbAbort, QMessageBox::Abort},  {mbRetry, QMessageBox::Retry},
            {mbIgnore, QMessageBox::Ignore}};
        QWidget* owner = DialogOwner() ? DialogOwner().data() : QApplication::activeWindow();
        QMessageBox box(IconOf(DlgType), QApplication::applicationDisplayName(), Msg,
                        QMessageBox::NoButton, owner);
        for (auto [ours, theirs] : map)
            if (Buttons & ours) box.addButton(theirs);
        switch (box.exec()) {
        case QMessageBox::Ok:
            return mrOk;
        case QMessageBox::Cancel:
            return mrCancel;
        case QMessageBox::Abort:
            return mrAbort;
        case QMessageBox::Retry:
            return mrRetry;
        case QMessageBox::Ignore:
            return mrIgnore;
        case QMessageBox::Yes:
            return mrYes;
        case QMessageBox::No:
            return mrNo;
        default:
            return mrCancel;
        }
    }

    bool ExecuteOpen(TOpenDialog& Dialog) override
    {
        // A wildcard file name acts as the filter, as in the classic dialog.
        QString filter = Dialog.Filter;
        if (filter.isEmpty() && Dialog.FileName.contains(QLatin1Char('*')))
            filter = Dialog.FileName + QStringLiteral(";;*");
        const QString start = Dialog.InitialDir;
        const QString chosen =
            QFileDialog::getOpenFileName(Dialog.ParentWidget, Dialog.Title, start, filter);
        if (chosen.isEmpty()) return false;
        Dialog.FileName = chosen;
        return true;
    }
};

TToolkitDialogs& ToolkitDialogs()
{
    static TToolkitDialogs service;
    return service;
}

TDialogService* current = nullptr;
} // namespace

TDialogService& Dialogs()
{
    return current ? *current : ToolkitDialogs();
}
void SetDialogService(TDialogService* Service)
{
    current = Service;
}

void SetDialogOwner(QWidget* Window)
{
    DialogOwner() = Window;
}

int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int)
{
    return Dialogs().MessageDlg(Msg, DlgType, Buttons);
}

void ShowMessage(const QString& Msg)
{
    MessageDlg(Msg, mtCustom, mbOK);
}
