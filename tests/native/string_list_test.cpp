// The string list: order, duplicates, emptying, and the index check with its
// exact message.
#include "host/string_list.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

void ExpectIndexError(const TStringList& list, std::int32_t index, const String& message,
                      int line) {
    SCOPED_TRACE(testing::Message() << "called from line " << line);
    try {
        list.Get(index);
        ADD_FAILURE() << "index " << index << " was accepted";
    } catch (const EStringListError& e) {
        EXPECT_STREQ(e.ClassName(), "EStringListError");
        EXPECT_EQ(e.Message(), message);
    }
}

TEST(StringList, KeepsAppendOrderDuplicatesAndEmptyEntries) {
    TStringList list;
    EXPECT_EQ(list.Count(), 0);
    for (const char* item : {"b", "a", "b", "", "ｵｰﾅｰ"})
        list.Add(item);
    list.Add(String("x\0y", 3));
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(list.Get(0), "b");
    EXPECT_EQ(list.Get(1), "a");
    EXPECT_EQ(list.Get(2), "b");
    EXPECT_EQ(list.Get(3), "");
    EXPECT_EQ(list.Get(4), "ｵｰﾅｰ");
    EXPECT_EQ(list.Get(5), String("x\0y", 3));
}

TEST(StringList, ClearEmptiesAndTheListCanBeFilledAgain) {
    TStringList list;
    list.Add("old");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add("new");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0), "new");
}

TEST(StringList, IndexOutsideTheRangeRaisesWithTheIndexInTheMessage) {
    TStringList list;
    ExpectIndexError(list, 0, "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (0)", __LINE__);
    list.Add("a");
    list.Add("b");
    ExpectIndexError(list, 2, "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (2)", __LINE__);
    ExpectIndexError(list, -1, "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (-1)", __LINE__);
    ExpectIndexError(list, INT32_MIN, "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (-2147483648)", __LINE__);
    EXPECT_EQ(list.Get(1), "b");
}

} // namespace
} // namespace vorn
