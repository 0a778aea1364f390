#!/usr/bin/Rscript
# The console program's job done in R, as a whole process: data.table::fread of the rows after
# the four header lines, prcomp on the covariance (centred, not scaled), and the three tables
# written with data.table::fwrite (CR LF line ends, numbers to 15 significant digits, R's
# default) as FILE.eigenvalues.csv, FILE.loadings.csv and FILE.scores.csv.
#
#   Rscript bench/peers/batch_r.R FILE.asc OUTDIR [THREADS]
#
# Time it against `pca-batch --out OUTDIR FILE.asc`, the two in turn, e.g. with
#   /usr/bin/time -v Rscript bench/peers/batch_r.R large.asc out-r 2
# bench_batch --data DIR writes the 1,000,000 x 10 benchmark file DIR/large.asc.
suppressPackageStartupMessages(library(data.table))
args <- commandArgs(trailingOnly = TRUE)
file <- args[1]
out <- args[2]
setDTthreads(if (length(args) >= 3) as.integer(args[3]) else 2L)
dir.create(out, showWarnings = FALSE, recursive = TRUE)
stem <- file.path(out, sub("\\.[^.]*$", "", basename(file)))

x <- fread(file, skip = 4, header = FALSE, sep = " ")
p <- prcomp(x, center = TRUE, scale. = FALSE)
values <- p$sdev^2
relative <- values / sum(abs(values))
k <- length(values)
pcs <- paste0("PC", seq_len(k))

fwrite(data.table(component = seq_len(k), eigenvalue = values,
                  relative_eigenvalue = relative, cumulative_share = cumsum(relative)),
       paste0(stem, ".eigenvalues.csv"), eol = "\r\n")
loadings <- as.data.table(p$rotation)
setnames(loadings, pcs)
fwrite(cbind(data.table(variable = paste0("C-", seq_len(ncol(x)))), loadings),
       paste0(stem, ".loadings.csv"), eol = "\r\n")
scores <- as.data.table(p$x)
setnames(scores, pcs)
fwrite(cbind(data.table(row = paste0("R-", seq_len(nrow(x))), class = 0L), scores),
       paste0(stem, ".scores.csv"), eol = "\r\n")
