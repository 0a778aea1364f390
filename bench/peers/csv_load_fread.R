# Times data.table::fread on a text table with a given number of threads.
#   Rscript bench/peers/csv_load_fread.R FILE THREADS RUNS
# Prints one line per run: the seconds, then the sum of all cells of the last run.
suppressMessages(library(data.table))
args <- commandArgs(trailingOnly = TRUE)
file <- args[1]
setDTthreads(as.integer(args[2]))
for (i in seq_len(as.integer(args[3]))) {
  start <- proc.time()[["elapsed"]]
  frame <- fread(file, header = TRUE, sep = ",", showProgress = FALSE)
  cat(sprintf("%.6f\n", proc.time()[["elapsed"]] - start))
}
cat(sprintf("sum %.6f\n", sum(as.matrix(frame))))
