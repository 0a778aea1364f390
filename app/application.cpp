#include "application.h"

#include "Classes.h"
#include "Dialogs.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationDisplayName(QStringLiteral("Principal Component Analysis"));
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleException(std::runtime_error("Unknown error"));
    }
    return true;
}

void TApplication::HandleException(const std::exception& Error)
{
    const auto* ours = dynamic_cast<const Exception*>(&Error);
    const QString message = ours ? ours->Message() : QString::fromLocal8Bit(Error.what());
    MessageDlg(message, mtError, mbOK);
}
