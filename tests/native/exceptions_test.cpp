// The exception classes and the message fill-in: the derivation the run's
// handlers rely on, with each class named as the error report prints it when
// caught through a base, the raising address, and messages filled without
// ever reading the argument as a format.
#include "host/exceptions.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(FillIn, ReplacesTheFirstMarkerWithTheArgumentAsItStands) {
    EXPECT_EQ(FillIn("ﾌｧｲﾙ %s は開けません", "C:\\ICQ\\Icq.exe"),
              "ﾌｧｲﾙ C:\\ICQ\\Icq.exe は開けません");
    EXPECT_EQ(FillIn("'%s' の取得に失敗しました", "100%s %d %% %n"),
              "'100%s %d %% %n' の取得に失敗しました");
    EXPECT_EQ(FillIn("%s に書き込めません", "%"), "% に書き込めません");
    EXPECT_EQ(FillIn("%s and %s", "x"), "x and %s");
    EXPECT_EQ(FillIn("no marker", "x"), "no marker");
    EXPECT_EQ(FillIn("%s", ""), "");
    EXPECT_EQ(FillIn("%s", String("a\0b", 3)), String("a\0b", 3));
}

TEST(FillIn, WritesTheNumberInDecimal) {
    EXPECT_EQ(FillIn("(%d)", 0), "(0)");
    EXPECT_EQ(FillIn("(%d)", -17), "(-17)");
    EXPECT_EQ(FillIn("(%d)", INT32_MIN), "(-2147483648)");
    EXPECT_EQ(FillIn("%s (%d)", 5), "%s (5)");
}

TEST(Exceptions, EachClassIsCaughtThroughItsBasesAndKeepsItsName) {
    const auto caughtAs = [](auto raise) {
        String path;
        try {
            raise();
        } catch (const EFilerError& e) {
            path = String("EFilerError:") + e.ClassName();
        } catch (const EStreamError& e) {
            path = String("EStreamError:") + e.ClassName();
        } catch (const Exception& e) {
            path = String("Exception:") + e.ClassName();
        }
        return path;
    };
    EXPECT_EQ(caughtAs([] { Raise(EReadError("r")); }), "EFilerError:EReadError");
    EXPECT_EQ(caughtAs([] { Raise(EWriteError("w")); }), "EFilerError:EWriteError");
    EXPECT_EQ(caughtAs([] { Raise(EFOpenError("o")); }), "EStreamError:EFOpenError");
    EXPECT_EQ(caughtAs([] { Raise(EFCreateError("c")); }), "EStreamError:EFCreateError");
    EXPECT_EQ(caughtAs([] { Raise(EStreamError("s")); }), "EStreamError:EStreamError");
    EXPECT_EQ(caughtAs([] { Raise(ERegistryException("g")); }), "Exception:ERegistryException");
    EXPECT_EQ(caughtAs([] { Raise(EAbstractError("a")); }), "Exception:EAbstractError");
    EXPECT_EQ(caughtAs([] { Raise(EStringListError("l")); }), "Exception:EStringListError");
    EXPECT_EQ(caughtAs([] { Raise(Exception("e")); }), "Exception:Exception");
}

__attribute__((noinline)) void RaiseFromHere() {
    Raise(EStreamError("first"));
}
__attribute__((noinline)) void RaiseFromThere() {
    Raise(EStreamError("second"));
}

const void* AddressRaisedBy(void (*raise)()) {
    try {
        raise();
    } catch (const Exception& e) {
        return e.RaiseAddress();
    }
    return nullptr;
}

TEST(Exceptions, RaiseRecordsWhereItWasCalledAndKeepsTheMessage) {
    const void* first = AddressRaisedBy(RaiseFromHere);
    const void* second = AddressRaisedBy(RaiseFromThere);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(AddressRaisedBy(RaiseFromHere), first);
    try {
        Raise(EFOpenError(FillIn("ﾌｧｲﾙ %s は開けません", "a%sb")));
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "ﾌｧｲﾙ a%sb は開けません");
    }
}

} // namespace
} // namespace vorn
