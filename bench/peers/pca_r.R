#!/usr/bin/Rscript
# Times R's prcomp on the data sets that bench_pca writes, for the same table as
# peers/pca_numpy.py (covariance: centred; correlation: centred and scaled).
#
#   bench_pca --write-data DIR
#   Rscript bench/peers/pca_r.R DIR [MIN_SECONDS]
#
# Prints per data set and scaling the median and the minimum of the runs in milliseconds, and
# the largest relative eigenvalue difference against bench_pca's own result.
args <- commandArgs(trailingOnly = TRUE)
dir <- args[1]
min_time <- if (length(args) > 1) as.numeric(args[2]) else 1.0

stems <- sub("^data_(.*)\\.f64$", "\\1", list.files(dir, pattern = "^data_.*\\.f64$"))
cat(sprintf("%14s %12s %10s %10s %12s\n", "rows x cols", "scaling", "median ms", "min ms",
            "eigval diff"))
for (stem in stems) {
  size <- as.integer(strsplit(stem, "_")[[1]])
  rows <- size[1]; cols <- size[2]
  cells <- readBin(file.path(dir, paste0("data_", stem, ".f64")), "double", rows * cols)
  x <- matrix(cells, nrow = rows, ncol = cols) # written column by column
  for (scaling in c(1, 2)) {
    run <- function() prcomp(x, center = TRUE, scale. = scaling == 2)
    run() # warm-up
    times <- c()
    start <- proc.time()[["elapsed"]]
    repeat {
      times <- c(times, system.time(fit <- run())[["elapsed"]])
      if (proc.time()[["elapsed"]] - start >= min_time && length(times) >= 3) break
    }
    w <- fit$sdev^2
    w <- c(w, rep(0, cols - length(w)))
    ours <- readBin(file.path(dir, sprintf("eig_%s_%d.f64", stem, scaling)), "double", cols)
    diff <- max(abs(ours - w / sum(abs(w)))) / max(abs(w / sum(abs(w))))
    cat(sprintf("%7d x %-4d %12s %10.3f %10.3f %12.2e\n", rows, cols,
                c("covariance", "correlation")[scaling], median(times) * 1e3, min(times) * 1e3,
                diff))
  }
}
