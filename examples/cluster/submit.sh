#!/bin/sh
# Runs a series of Moravel realisations on a Slurm cluster: a job array of shards and a job,
# dependent on all of them, that merges them.
#   submit.sh PROJECT.kpr REALISATIONS SHARDS SEED OUTDIR [sbatch options...]
# OUTDIR must lie on a file system that every node sees. Prints the two job ids. The
# results are in OUTDIR/wynik (realizacje.csv, pasmo.csv, hydrogramy.nc); each shard's own
# stay in OUTDIR/shards/i. Environment: MORAVEL_RUN (the program, default moravel-run),
# MORAVEL_SEPARATOR (the data files' decimal separator, default ',').
set -eu
if [ $# -lt 5 ]; then
  echo "użycie: $0 PROJEKT.kpr REALIZACJE FRAGMENTY ZIARNO KATALOG [opcje sbatch...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
project=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
series=$2 shards=$3 seed=$4
mkdir -p "$5/shards"
out=$(cd "$5" && pwd)
shift 5
# Realisations a shard: task i computes i*per .. i*per+per-1 (the last task the rest); a task
# whose range starts past the series has nothing to do and is not merged.
per=$(( (series + shards - 1) / shards ))
export MORAVEL_PROJECT="$project" MORAVEL_SERIES="$series" MORAVEL_SHARDS="$shards" MORAVEL_SEED="$seed"
export MORAVEL_PER_SHARD="$per"
export MORAVEL_OUT="$out" MORAVEL_SEPARATOR="${MORAVEL_SEPARATOR:-,}"
array=$(sbatch --parsable --export=ALL --array=0-$((shards - 1)) -o "$out/shard-%a.log" "$@" \
  "$here/moravel-shard.sbatch")
array=${array%%;*}
merge=$(sbatch --parsable --export=ALL --dependency=afterok:"$array" --kill-on-invalid-dep=yes \
  -o "$out/merge.log" "$@" "$here/moravel-merge.sbatch")
echo "$array ${merge%%;*}"
