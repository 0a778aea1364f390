// Output files that appear whole or not at all. Each is written to a new temporary file in its
// folder, created there (a link at the final name is never followed), and renamed into place
// only once every file of the set was written completely; otherwise the temporaries are removed
// and older files of the same names stay as they were.
#pragma once

#include "textsink.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class TOutputSet {
  public:
    TOutputSet() = default;
    // Removes every temporary that was not renamed into place.
    ~TOutputSet();
    TOutputSet(const TOutputSet&) = delete;
    TOutputSet& operator=(const TOutputSet&) = delete;

    // Writes the file Path through Fill into a temporary beside it; false, with Error(), when it
    // could not be written completely.
    bool Write(const QString& Path, const std::function<void(TTextSink&)>& Fill);
    // Renames every file written into place; false, with Error(), at the first that fails.
    bool Commit();
    const QString& Error() const { return FError; }

  private:
    struct TPending {
        QByteArray Temporary, Final;
    };
    bool Fail(const QString& Path, int Errno);

    std::vector<TPending> FPending;
    QString FError;
};

// "reason" for errno, as the system words it.
QString SystemReason(int Errno);
