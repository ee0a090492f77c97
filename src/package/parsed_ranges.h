// The parts of a file a reader has already taken apart. A reader that
// parses no byte twice stays linear in the file's size, whatever offsets
// the file claims: a table whose entries all point at the same header, or
// at headers inside each other, is refused instead of read again and again.
#pragma once

#include <cstdint>
#include <iterator>
#include <map>

namespace tarnwick {

class ParsedRanges {
  public:
    // Where the unparsed run that starts at `start` ends: the start of the
    // next parsed range, or UINT64_MAX. `start` itself when it lies inside
    // a parsed range, so nothing may be read there.
    uint64_t FreeUntil(uint64_t start) const {
        auto next = ranges_.upper_bound(start);
        if (next != ranges_.begin() && std::prev(next)->second > start) return start;
        return next == ranges_.end() ? UINT64_MAX : next->first;
    }
    // Records [start, end); the caller has checked it with FreeUntil.
    void Add(uint64_t start, uint64_t end) { ranges_[start] = end; }

  private:
    std::map<uint64_t, uint64_t> ranges_;  // start -> end
};

}  // namespace tarnwick
