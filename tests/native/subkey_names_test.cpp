// The subkey enumeration loop of TRegistry::ListSubkeys against a registry
// double that behaves as RegEnumKeyExA does: the buffer bounds, the doubled
// length for double-byte systems, and what a failed step leaves in the list.
// Under AddressSanitizer a read or write past the name buffer fails the test.
#include "host/registry.h"

#include <gtest/gtest.h>
#include <vector>

namespace vorn {
namespace {

constexpr long kSuccess = 0;
constexpr long kMoreData = 234;    // ERROR_MORE_DATA
constexpr long kNoMoreItems = 259; // ERROR_NO_MORE_ITEMS

// Answers as RegEnumKeyExA: a name that does not fit with its zero gives
// kMoreData after scribbling over the whole buffer; a missing index gives
// kNoMoreItems. Records the length offered to each step.
struct KeyDouble {
    std::vector<String> names;
    std::vector<std::uint32_t> offered;

    SubkeyEnumStep Step() {
        return [this](std::uint32_t index, char* buffer, std::uint32_t& length) {
            offered.push_back(length);
            if (index >= names.size()) return kNoMoreItems;
            const String& name = names[index];
            if (name.size() + 1 > length) {
                std::fill(buffer, buffer + length, 'G');
                return kMoreData;
            }
            std::copy(name.begin(), name.end(), buffer);
            buffer[name.size()] = '\0';
            length = static_cast<std::uint32_t>(name.size());
            return kSuccess;
        };
    }
};

std::vector<String> Items(const TStringList& list) {
    std::vector<String> items;
    for (std::int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list.Get(i));
    return items;
}

TEST(SubkeyNames, NamesUpToTheLongestComeOutWholeInOrder) {
    KeyDouble key{{"12345678", "b", "1234567", "ab"}, {}};
    TStringList list;
    CollectSubkeyNames(list, 4, 8, false, key.Step());
    EXPECT_EQ(Items(list), (std::vector<String>{"12345678", "b", "1234567", "ab"}));
    EXPECT_EQ(key.offered, (std::vector<std::uint32_t>{9, 9, 9, 9}));
}

TEST(SubkeyNames, DoubleByteSystemsGetTwiceTheCountedLength) {
    // Three characters, six bytes each: the count is in characters.
    KeyDouble key{{"ｱｲｳ", "漢字名", "x"}, {}};
    TStringList list;
    CollectSubkeyNames(list, 3, 3, true, key.Step());
    EXPECT_EQ(Items(list), (std::vector<String>{"ｱｲｳ", "漢字名", "x"}));
    EXPECT_EQ(key.offered, (std::vector<std::uint32_t>{7, 7, 7}));
}

TEST(SubkeyNames, NameLongerThanTheBufferIsSkippedNotTruncated) {
    KeyDouble key{{"ok", "漢字名", "fine"}, {}};
    TStringList list;
    CollectSubkeyNames(list, 3, 4, false, key.Step());
    EXPECT_EQ(Items(list), (std::vector<String>{"ok", "fine"}));
}

TEST(SubkeyNames, StepsPastAKeyThatShrankAddNothing) {
    KeyDouble key{{"first", "second"}, {}};
    TStringList list;
    CollectSubkeyNames(list, 4, 6, false, key.Step());
    EXPECT_EQ(Items(list), (std::vector<String>{"first", "second"}));
    EXPECT_EQ(key.offered.size(), 4u);
}

TEST(SubkeyNames, AShortNameAfterALongOneCarriesNoStaleBytes) {
    KeyDouble key{{"longname", "s", "", "mid"}, {}};
    TStringList list;
    CollectSubkeyNames(list, 4, 8, false, key.Step());
    EXPECT_EQ(Items(list), (std::vector<String>{"longname", "s", "", "mid"}));
}

TEST(SubkeyNames, SuccessWithoutATerminatorStaysInsideTheBuffer) {
    const auto unterminated = [](std::uint32_t, char* buffer, std::uint32_t& length) {
        std::fill(buffer, buffer + length, 'Z');
        return kSuccess; // and `length` left at the buffer size
    };
    TStringList list;
    CollectSubkeyNames(list, 2, 3, false, unterminated);
    EXPECT_EQ(Items(list), (std::vector<String>{"ZZZZ", "ZZZZ"}));
}

TEST(SubkeyNames, NoSubkeysMeansNoStepAndAnEmptyLongestStillHasRoomForTheZero) {
    KeyDouble none{{}, {}};
    TStringList list;
    CollectSubkeyNames(list, 0, 0, true, none.Step());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(none.offered.empty());

    KeyDouble empty{{""}, {}};
    CollectSubkeyNames(list, 1, 0, false, empty.Step());
    EXPECT_EQ(Items(list), (std::vector<String>{""}));
    EXPECT_EQ(empty.offered, (std::vector<std::uint32_t>{1}));
}

} // namespace
} // namespace vorn
