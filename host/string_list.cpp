// Implements host/string_list.h. Portable.
#include "host/string_list.h"
#include "host/host_texts.h"

namespace vorn {

const String& TStringList::Get(std::int32_t index) const {
    if (index < 0 || index >= Count())
        Raise(EStringListError(FillIn(MsgListIndexOutOfBounds, index)));
    return items_[static_cast<std::size_t>(index)];
}

} // namespace vorn
