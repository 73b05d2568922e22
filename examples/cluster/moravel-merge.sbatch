#!/bin/sh
# The merge of the shards of the series into $MORAVEL_OUT/wynik: the realisations table, the
# percentile band and the hydrographs of the whole series. Runs once every task of the array
# has succeeded. It names the shards the array computed, never whatever lies in the folder
# (shards of an earlier, larger run there stay out; the merge refuses a set that is not the
# whole series).
#SBATCH --job-name=moravel-merge
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
set -eu
run=${MORAVEL_RUN:-moravel-run}
set --
i=0
while [ "$i" -lt "$MORAVEL_SHARDS" ] && [ $(( i * MORAVEL_PER_SHARD )) -lt "$MORAVEL_SERIES" ]; do
  set -- "$@" "$MORAVEL_OUT/shards/$i"
  i=$(( i + 1 ))
done
exec "$run" merge "$@" --out "$MORAVEL_OUT/wynik" --quiet
