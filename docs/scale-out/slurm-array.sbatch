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
exec vardolin-batch --shard "$SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT" --no-settings \
  --size 1600,1200 --quality 8 --subfolders --target "$COPIES" --structure \
  --jobs "${SLURM_CPUS_PER_TASK:-1}" \
  --report "$REPORTS/shard-$SLURM_ARRAY_TASK_ID-${SLURM_JOB_ID:-0}.jsonl" \
  "$PHOTOS/*.jpg"
