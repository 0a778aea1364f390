// Rows of text made a chunk at a time on worker threads and written in order by the caller:
// turning numbers into text takes most of a large job's time, writing the rest.
#pragma once

#include "textsink.h"

#include <functional>

// Format(Sink, First, Count) writes rows First..First + Count - 1 (0-based) to Sink.
using TFormatRows = std::function<void(TTextSink& Sink, int First, int Count)>;

// Writes rows 0..Rows-1 to Out through Format. Chunks of ChunkRows rows are formatted on one
// thread per core (four at most), each in its own memory, while this thread writes the finished
// chunks to Out in their order. An exception from Format reaches the caller once the threads
// have stopped.
void PutRowsInParallel(TTextSink& Out, int Rows, int ChunkRows, const TFormatRows& Format);
