#!/bin/sh
# One shard of a series of realisations: task i of the job array computes realisations
# i*M .. i*M+M-1 (M = MORAVEL_PER_SHARD; the last task the rest) of the series of
# MORAVEL_SERIES into $MORAVEL_OUT/shards/i. Submitted by submit.sh, which passes the settings
# in the environment.
#SBATCH --job-name=moravel-shard
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
set -eu
run=${MORAVEL_RUN:-moravel-run}
i=$SLURM_ARRAY_TASK_ID
per=$MORAVEL_PER_SHARD
first=$(( i * per ))
count=$(( MORAVEL_SERIES - first < per ? MORAVEL_SERIES - first : per ))
[ "$count" -gt 0 ] || exit 0
exec "$run" "$MORAVEL_PROJECT" --separator "$MORAVEL_SEPARATOR" --seed "$MORAVEL_SEED" \
    --series "$MORAVEL_SERIES" --first "$first" --count "$count" --out "$MORAVEL_OUT/shards/$i" --quiet
