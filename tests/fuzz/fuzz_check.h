// A broken property stops a fuzz target at once, with the input that broke it.
#pragma once

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}
