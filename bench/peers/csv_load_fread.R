# Times data.table::fread on a text table with a given number of threads.
#   Rscript bench/peers/csv_load_fread.R FILE THREADS RUNS
# Prints one line per run: the wall and the processor seconds, then the sum of all cells of the
# last run.
suppressMessages(library(data.table))
args <- commandArgs(trailingOnly = TRUE)
file <- args[1]
setDTthreads(as.integer(args[2]))
for (i in seq_len(as.integer(args[3]))) {
  start <- proc.time()
  frame <- fread(file, header = TRUE, sep = ",", showProgress = FALSE)
  used <- proc.time() - start
  cat(sprintf("%.6f %.6f\n", used[["elapsed"]], used[["user.self"]] + used[["sys.self"]]))
}
cat(sprintf("sum %.6f\n", sum(as.matrix(frame))))
