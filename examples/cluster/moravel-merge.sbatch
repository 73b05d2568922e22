#!/bin/sh
# The merge of every shard of the series into $MORAVEL_OUT/wynik: the realisations table, the
# percentile band and the hydrographs of the whole series. Runs once every task of the array
# has succeeded.
#SBATCH --job-name=moravel-merge
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
set -eu
run=${MORAVEL_RUN:-moravel-run}
exec "$run" merge "$MORAVEL_OUT"/shards/* --out "$MORAVEL_OUT/wynik" --quiet
