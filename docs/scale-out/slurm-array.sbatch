#!/bin/bash
# Shrinks a photo archive as a Slurm job array: one array task per shard, all
# on a file system every node mounts. See docs/scale-out.md.
#   sbatch docs/scale-out/slurm-array.sbatch
#SBATCH --job-name=vardolin-shrink
#SBATCH --array=0-7
#SBATCH --cpus-per-task=4
#SBATCH --mem=2G
#SBATCH --output=vardolin-shrink-%A_%a.log
set -eu

PHOTOS=${PHOTOS:-/shared/archive/fotos}
COPIES=${COPIES:-/shared/archive/klein}
REPORTS=${REPORTS:-/shared/archive/reports}
mkdir -p "$REPORTS"

# SLURM_ARRAY_TASK_ID runs over --array; SLURM_ARRAY_TASK_COUNT is its size.
status=0
vardolin-batch --shard "$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT" --no-settings \
  --size 1600,1200 --quality 8 --subfolders --target "$COPIES" --structure \
  --jobs "${SLURM_CPUS_PER_TASK:-1}" \
  --report "$REPORTS/shard-$SLURM_ARRAY_TASK_ID-${SLURM_JOB_ID:-0}.jsonl" \
  "$PHOTOS/*.jpg" || status=$?
# 1: the task is finished, and the files that failed are named in its report
# (outcome "failed"); a requeue would not mend a file that cannot be read.
# Anything else (3: the run could not start; 128+n: stopped by a signal, as
# scancel or the time limit stop it) fails the task, to be requeued.
if [ "$status" -eq 1 ]; then
  echo "shard $SLURM_ARRAY_TASK_ID finished; failed files are in its report" >&2
  status=0
fi
exit "$status"
