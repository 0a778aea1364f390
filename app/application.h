// The application object: Qt's, plus the classic top-level handler that shows the message of an
// exception escaping an event handler and keeps the program running.
#pragma once

#include <QApplication>
#include <exception>

class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
    // Shows the message of the exception in a modal error box.
    static void HandleException(const std::exception& Error);
};
