#include "parallelrows.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// A chunk's text on its way from a worker to the writer.
struct TSlot {
    TTextBlock Text;
    bool Ready = false; // formatted, not yet written
};

class TRowPipeline {
  public:
    TRowPipeline(TTextSink& Out, int Rows, int ChunkRows, const TFormatRows& Format,
                 std::vector<TSlot>& Slots, int Workers)
        : FOut(Out), FRows(Rows), FChunkRows(ChunkRows), FChunks((Rows - 1) / ChunkRows + 1),
          FWorkers(Workers), FFormat(Format), FSlots(Slots)
    {
        try {
            for (int w = 0; w < FWorkers; ++w) FThreads.emplace_back([this, w] { Work(w); });
        } catch (...) {
            Join();
            throw;
        }
    }
    // Stops the workers, also when the writer left early.
    ~TRowPipeline() { Join(); }
    TRowPipeline(const TRowPipeline&) = delete;
    TRowPipeline& operator=(const TRowPipeline&) = delete;

    // Writes the chunks in order; once the output failed, nothing more is formatted.
    void WriteAll()
    {
        for (int c = 0; c < FChunks; ++c) {
            TSlot& slot = SlotOf(c);
            {
                std::unique_lock<std::mutex> lock(FLock);
                FChanged.wait(lock, [&] { return slot.Ready || FStop; });
                if (FStop) break;
            }
            FOut.Put(slot.Text.View());
            {
                const std::lock_guard<std::mutex> lock(FLock);
                slot.Ready = false;
                FStop = FOut.Failed();
            }
            FChanged.notify_all();
        }
        Join();
        if (FError) std::rethrow_exception(FError);
    }

  private:
    // A worker's chunks take turns in its slots: chunk c waits until chunk c - slots is written.
    TSlot& SlotOf(int Chunk) { return FSlots[std::size_t(Chunk) % FSlots.size()]; }

    void Join()
    {
        {
            const std::lock_guard<std::mutex> lock(FLock);
            FStop = true;
        }
        FChanged.notify_all();
        for (std::thread& t : FThreads) t.join();
        FThreads.clear();
    }

    void Work(int Worker)
    {
        try {
            for (int c = Worker; c < FChunks; c += FWorkers) {
                TSlot& slot = SlotOf(c);
                {
                    std::unique_lock<std::mutex> lock(FLock);
                    FChanged.wait(lock, [&] { return !slot.Ready || FStop; });
                    if (FStop) return;
                }
                Format(slot.Text, c);
                {
                    const std::lock_guard<std::mutex> lock(FLock);
                    slot.Ready = true;
                }
                FChanged.notify_all();
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(FLock);
            if (!FError) FError = std::current_exception();
            FStop = true;
            FChanged.notify_all();
        }
    }

    void Format(TTextBlock& Text, int Chunk)
    {
        Text.Clear();
        TTextSink sink(Text);
        sink.SetShowControls(FOut.ShowsControls());
        const int first = Chunk * FChunkRows;
        FFormat(sink, first, std::min(FChunkRows, FRows - first));
    }

    TTextSink& FOut;
    const int FRows, FChunkRows, FChunks, FWorkers;
    const TFormatRows& FFormat;
    std::vector<TSlot>& FSlots;
    std::vector<std::thread> FThreads;
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FStop = false;
    std::exception_ptr FError;
};

} // namespace

void PutRowsInParallel(TTextSink& Out, int Rows, int ChunkRows, const TFormatRows& Format)
{
    if (Rows <= ChunkRows) {
        if (Rows > 0) Format(Out, 0, Rows);
        return;
    }
    const int chunks = (Rows - 1) / ChunkRows + 1;
    // Past a few workers the one writer is the limit, and each would only add slots of memory.
    constexpr int kMostWorkers = 4;
    const int workers =
        std::clamp(int(std::thread::hardware_concurrency()), 1, std::min(chunks, kMostWorkers));
    // Kept from call to call on this thread: rows written a chunk of the file at a time reuse
    // the room of the slots instead of mapping it afresh.
    thread_local std::vector<TSlot> slots;
    slots.resize(std::size_t(2 * workers));
    for (TSlot& s : slots) s.Ready = false;
    TRowPipeline(Out, Rows, ChunkRows, Format, slots, workers).WriteAll();
}
