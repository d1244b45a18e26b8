// An ordered list of byte strings: unsorted, duplicates allowed. Portable.
//
// Contract: Get() of an index outside 0..Count()-1 raises EStringListError with
// MsgListIndexOutOfBounds, %d being the index.
#pragma once

#include "host/exceptions.h"
#include <vector>

namespace vorn {

class TStringList {
  public:
    void Clear() { items_.clear(); }
    void Add(String item) { items_.push_back(std::move(item)); }
    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    const String& Get(std::int32_t index) const;

  private:
    std::vector<String> items_;
};

} // namespace vorn
