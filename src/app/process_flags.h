// The process-wide flags and counter that every part of the launcher reads.
#pragma once

#include <cstdint>

namespace tarnwick {

// The logall option: the detailed trace lines of every step are written.
// Fixed before the worker thread starts.
extern bool LogAll;

// Set by the progress dialog when the user confirmed aborting. Written and
// read only by the main thread.
extern bool AbortRequested;

// Counts JVM searches: the first is logged as "Search summary", every later
// one as a search after installing a JVM.
extern int32_t SearchPass;

}  // namespace tarnwick
