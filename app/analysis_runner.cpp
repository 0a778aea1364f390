#include "analysis_runner.h"

#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <exception>
#include <thread>

namespace {

// Rough operation counts at which the engine takes about a tenth of a second: a dozen sweeps of
// n^3 for the decomposition, m n^2 / 2 for the cross products.
constexpr double kNoticeableWork = 2e8;

// How often the dialog looks at the computing thread, in milliseconds.
constexpr int kPollInterval = 20;

// What the computing thread shares with the dialog.
struct TShared {
    std::atomic<bool> Cancel{false}, Finished{false};
    std::atomic<int> Sweep{0};
    std::atomic<double> Sum{0};
};

} // namespace

QString SweepProgressText(int Sweep, double Sum)
{
    if (Sweep < 1) return QStringLiteral("Forming the cross products...");
    return QStringLiteral("Sweep %1 of at most 100\nOff-diagonal sum: %2")
        .arg(Sweep)
        .arg(QLocale::c().toString(Sum, 'g', 6));
}

bool TAnalysisRunner::TakesNoticeableTime(int Columns, int Rows)
{
    const double n = Columns, m = Rows;
    return 12 * n * n * n + 0.5 * m * n * n >= kNoticeableWork;
}

TPCAResult TAnalysisRunner::Run(const TAnalysisDataSet& Data, int Scaling) const
{
    if (!TakesNoticeableTime(Data.NrOfColumns(), Data.NrOfRows()))
        return CalcComponents(Data, Scaling);

    TShared shared;
    TPCAProgress progress;
    progress.Cancel = &shared.Cancel;
    progress.OnSweep = [&shared](int Sweep, double Sum) {
        shared.Sum.store(Sum);
        shared.Sweep.store(Sweep);
    };
    TPCAResult result;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            result = CalcComponents(Data, Scaling, &progress);
        } catch (...) {
            error = std::current_exception();
        }
        shared.Finished.store(true);
    });

    QProgressDialog dialog(SweepProgressText(0, 0), QStringLiteral("Cancel"), 0, 100, FParent);
    dialog.setWindowTitle(QStringLiteral("Perform PCA"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (shared.Finished.load()) {
            dialog.accept();
            return;
        }
        const int sweep = shared.Sweep.load();
        dialog.setValue(sweep);
        dialog.setLabelText(SweepProgressText(sweep, shared.Sum.load()));
    });
    poll.start(kPollInterval);
    dialog.exec();
    poll.stop();
    // Any way out but the end of the computation (Cancel, Escape, closing) cancels it; the
    // engine looks at the flag between two rows of a sweep.
    if (!shared.Finished.load()) shared.Cancel.store(true);
    worker.join();
    if (error) std::rethrow_exception(error);
    return result;
}
