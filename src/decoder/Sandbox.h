#pragma once
// What closes the decode process in before it touches a single byte of a
// file: it dies with the run, holds no descriptor but its own, cannot grow
// past a memory limit derived from the pixel budget, and a seccomp filter
// lets it do nothing but read what it is handed, manage its memory and
// threads, and answer on its socket. No open, no network, no exec.

#include "picture/Limits.h"

#include <sys/types.h>

#include <cstdint>

namespace vardolin::decoder {

// Everything before the filter: dies with parent (false when parent is
// already gone), drops every descriptor above kSocket, no core files, the
// memory limit, an allocation that fails at it ends the process with
// kExitOutOfMemory. Call it first.
bool prepareProcess(pid_t parent, const picture::Limits& limits);

// Lowers the memory limit to twice what decoding a picture of this many
// pixels needs (at least 256 MB and 16 MB a core) beyond what the process
// holds now, never above the limit of the start; widenMemory sets that one
// again, when it was lowered. A file stating a small picture whose codec
// decodes a huge one then fails at once, not gigabytes later. Nothing where
// no data limit is set (the sanitizer build).
void narrowMemoryFor(std::uint64_t pixels);
void widenMemory();

// Installs the filter; from here on a call it does not allow ends the
// process (SIGSYS). Call it after the codec libraries are ready. False when
// it could not be installed: the process must then decode nothing.
bool closeSandbox();

} // namespace vardolin::decoder
