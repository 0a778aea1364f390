#!/usr/bin/Rscript
# Reading the rows of the 1,000,000 x 10 ASC benchmark file with data.table::fread, timed in the
# process as bench_asc_load times LoadFromASCFile: best of the runs, in seconds.
#
#   Rscript bench/peers/asc_load_r.R DIR/large.txt [THREADS] [RUNS]
#
# bench_asc_load --data DIR writes DIR/large.txt (the rows of DIR/large.asc without its header).
suppressPackageStartupMessages(library(data.table))
args <- commandArgs(trailingOnly = TRUE)
setDTthreads(if (length(args) >= 2) as.integer(args[2]) else 2L)
runs <- if (length(args) >= 3) as.integer(args[3]) else 5L
best <- Inf
for (i in seq_len(runs)) {
  t <- system.time(x <- fread(args[1], header = FALSE, sep = " "))[["elapsed"]]
  best <- min(best, t)
}
cat(sprintf("fread %d threads: %.3f s (sum %.6f)\n", getDTthreads(), best, sum(as.matrix(x))))
