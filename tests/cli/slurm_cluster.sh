#!/bin/sh
# A real cluster: starts a single-node Slurm cluster of its own in a temporary folder (munged,
# slurmctld and slurmd, as root, on ports of its own), submits the example of examples/cluster
# (a job array of 4 shards and the dependent merge), waits for the merge by polling the queue
# with a deadline, checks the merged results against a one-process run of the same series,
# and stops exactly the daemons it started, by their process ids, also on failure.
#   slurm_cluster.sh MORAVEL_RUN EXAMPLES_DIR
# Exit 77 (skipped) when not run as root.
set -eu
run=$1
examples=$(cd "$2" && pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "the cluster's daemons need root: skipped"
  exit 77
fi
for p in munged slurmctld slurmd sbatch squeue sinfo scancel; do
  command -v "$p" >/dev/null || { echo "missing $p (scripts/install-deps installs slurm-wlm and munge)"; exit 1; }
done

T=$(mktemp -d /tmp/moravel-slurm.XXXXXX)
chmod 755 "$T"
pids=""
jobs=""
stop() {
  status=$?
  [ -z "$jobs" ] || scancel $jobs 2>/dev/null || true
  # slurmd first, then the controller, then munged; each by the id it was started with.
  for p in $pids; do kill "$p" 2>/dev/null || true; done
  for p in $pids; do wait "$p" 2>/dev/null || true; done
  if [ "$status" -ne 0 ]; then
    for log in "$T"/*.log "$T"/out/*.log; do [ -f "$log" ] && { echo "== $log"; tail -n 20 "$log"; }; done
  fi
  rm -rf "$T"
  exit "$status"
}
trap stop EXIT
trap 'exit 1' INT TERM

# Polls `condition` every tenth of a second until it holds; fails after `deadline` seconds.
wait_for() {
  deadline=$1 what=$2
  shift 2
  end=$(($(date +%s) + deadline))
  until "$@"; do
    if [ "$(date +%s)" -ge "$end" ]; then
      echo "no $what within $deadline s"
      return 1
    fi
    sleep 0.1
  done
}

# Ports of this run's own, away from a system cluster's 6817/6818.
base=$((20000 + ($$ % 10000) * 2))
host=$(hostname -s)
mkdir -p "$T/state" "$T/spool" "$T/out"
dd if=/dev/urandom of="$T/munge.key" bs=1024 count=1 2>/dev/null
chmod 400 "$T/munge.key"
cat >"$T/slurm.conf" <<CONF
ClusterName=moravel
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$base
SlurmdPort=$((base + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$T/munge.sock
CredType=cred/munge
StateSaveLocation=$T/state
SlurmdSpoolDir=$T/spool
SlurmctldPidFile=$T/slurmctld.pid
SlurmdPidFile=$T/slurmd.pid
SlurmctldLogFile=$T/slurmctld.log
SlurmdLogFile=$T/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
ReturnToService=2
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=moravel Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$T/slurm.conf"

munged -F -f --socket="$T/munge.sock" --key-file="$T/munge.key" --pid-file="$T/munged.pid" \
  --log-file="$T/munged.log" --seed-file="$T/munged.seed" >"$T/munged-out.log" 2>&1 &
pids="$! $pids"
wait_for 30 "munge socket" test -S "$T/munge.sock"
slurmctld -D -i -f "$T/slurm.conf" >"$T/slurmctld-out.log" 2>&1 &
pids="$! $pids"
slurmd -D -N "$host" -f "$T/slurm.conf" >"$T/slurmd-out.log" 2>&1 &
pids="$! $pids"
node_idle() { sinfo -h -o %T 2>/dev/null | grep -qx idle; }
wait_for 60 "idle node" node_idle

# The example's series as a job array of 4 shards and the merge, into a folder that holds a
# shard of an earlier, larger run of the same seed: the merge names its own shards only.
series=2000 seed=42
mkdir -p "$T/out/shards"
"$run" "$examples/zlewnia.kpr" --separator , --seed $seed --series 4000 --first 3500 --count 500 \
  --out "$T/out/shards/7" --quiet
ids=$(MORAVEL_RUN="$run" sh "$examples/cluster/submit.sh" "$examples/zlewnia.kpr" $series 4 $seed "$T/out")
jobs=$(echo "$ids" | tr ' ' ',')
echo "jobs: $ids"
queue_empty() { [ -z "$(squeue -h -j "$jobs" -o %i 2>/dev/null)" ]; }
wait_for 240 "end of the jobs" queue_empty
jobs=""
for s in 0 1 2 3; do test -f "$T/out/shards/$s/hydrogramy.bin" || { echo "shard $s missing"; exit 1; }; done
test -f "$T/out/wynik/pasmo.csv" || { echo "the merge wrote no band"; exit 1; }

# The same series in one process.
"$run" "$examples/zlewnia.kpr" --separator , --seed $seed --series $series --out "$T/one.csv" \
  --band "$T/one-band.csv" --quiet
cmp "$T/out/wynik/realizacje.csv" "$T/one.csv"
cmp "$T/out/wynik/pasmo.csv" "$T/one-band.csv"
[ "$(wc -l <"$T/one.csv")" -eq $((series + 1)) ]
echo "the cluster's merge equals the one-process run"
