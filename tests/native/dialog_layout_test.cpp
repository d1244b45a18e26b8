// Layout arithmetic of the message dialog and the input box. The expected
// numbers are worked out by hand below each fixture from the layout rules.
#include "host/dialog_layout.h"

#include <gtest/gtest.h>
#include <climits>
#include <utility>

namespace vorn {
namespace {

TEST(MulDivRounded, RoundsToNearestWithHalvesAwayFromZero) {
    EXPECT_EQ(MulDivRounded(5, 1, 2), 3);
    EXPECT_EQ(MulDivRounded(-5, 1, 2), -3);
    EXPECT_EQ(MulDivRounded(5, -1, 2), -3);
    EXPECT_EQ(MulDivRounded(5, 1, -2), -3);
    EXPECT_EQ(MulDivRounded(-5, 1, -2), 3);
    EXPECT_EQ(MulDivRounded(1, 1, 3), 0);
    EXPECT_EQ(MulDivRounded(2, 1, 3), 1);
    EXPECT_EQ(MulDivRounded(-2, 1, 3), -1);
    EXPECT_EQ(MulDivRounded(9, 96, 72), 12);
    EXPECT_EQ(MulDivRounded(0, -7, 3), 0);
}

TEST(MulDivRounded, WideProductAndFailures) {
    EXPECT_EQ(MulDivRounded(INT_MAX, INT_MAX, INT_MAX), INT_MAX) << "the product must not overflow";
    EXPECT_EQ(MulDivRounded(INT_MAX, 2, 1), -1) << "result too large";
    EXPECT_EQ(MulDivRounded(-INT_MAX, 2, 1), -1) << "result too small";
    EXPECT_EQ(MulDivRounded(7, 3, 0), -1) << "division by zero";
    EXPECT_EQ(MulDivRounded(INT_MIN, 1, 1), -1)
        << "an exact INT_MIN is outside the range, as on Win32";
    EXPECT_EQ(MulDivRounded(-INT_MAX, 1, 1), -INT_MAX) << "the lowest result in range";
}

TEST(DialogUnits, FromSampleExtentAndToPixels) {
    // 52 letters 7.98 pixels wide on average: x drops the fraction.
    const DialogUnits u = DialogUnitsFromExtent(415, 16);
    EXPECT_EQ(u.x, 7);
    EXPECT_EQ(u.y, 16);
    EXPECT_EQ(u.Horz(50), 88) << "50 * 7 / 4 = 87.5 rounds up";
    EXPECT_EQ(u.Vert(14), 28);
    const DialogUnits v{6, 13};
    EXPECT_EQ(v.Horz(10), 15);
    EXPECT_EQ(v.Vert(10), 16) << "16.25";
    EXPECT_EQ(v.Vert(14), 23) << "22.75";
}

TEST(ButtonRoles, DefaultAndCancelFallBackInOrder) {
    struct Case {
        DialogButtons set;
        int defaultButton, cancelButton;
    } cases[] = {
        {kButtonsOkCancel, dbOK, dbCancel},
        {kButtonsYesNo, dbYes, dbNo},
        {kButtonsOk, dbOK, dbOK},
        {ButtonSet(dbYes) | ButtonSet(dbNo) | ButtonSet(dbCancel), dbYes, dbCancel},
        {ButtonSet(dbRetry) | ButtonSet(dbCancel), dbRetry, dbCancel},
        {ButtonSet(dbAbort) | ButtonSet(dbRetry) | ButtonSet(dbIgnore), dbRetry, kNoButton},
        {ButtonSet(dbNo), kNoButton, dbNo},
        {ButtonSet(dbHelp) | ButtonSet(dbAll), kNoButton, kNoButton},
        {0, kNoButton, kNoButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "set " << c.set);
        const ButtonRoles roles = ChooseButtonRoles(c.set);
        EXPECT_EQ(roles.defaultButton, c.defaultButton);
        EXPECT_EQ(roles.cancelButton, c.cancelButton);
    }
}

// Units 6 x 13: margins 12 h and 13 v, icon to text 15, text to buttons 16,
// button 75 x 23, gap 6. Screen 1024 x 768, frame 6 x 25.
MessageFormInput Standard(DialogButtons buttons, bool icon, int textWidth, int textHeight) {
    MessageFormInput in;
    in.units = {6, 13};
    in.buttons = buttons;
    in.hasIcon = icon;
    in.textWidth = textWidth;
    in.textHeight = textHeight;
    in.screenWidth = 1024;
    in.screenHeight = 768;
    in.frameWidth = 6;
    in.frameHeight = 25;
    return in;
}

// Caption widths of a small font: OK 14, Cancel 30, Yes 40, No 46.
int SmallCaption(DialogButton b) {
    switch (b) {
    case dbOK:
        return 14;
    case dbCancel:
        return 30;
    case dbYes:
        return 40;
    case dbNo:
        return 46;
    default:
        return 20;
    }
}

TEST(MessageLayout, WarningOkCancel) {
    ButtonWidthCache cache;
    const auto l =
        LayoutMessageForm(Standard(kButtonsOkCancel, true, 200, 13), cache, SmallCaption);
    // Text block 200 + 32 + 15 = 247 wide, raised to the icon's 32 high.
    EXPECT_EQ(l.clientWidth, 247 + 24);
    EXPECT_EQ(l.clientHeight, 32 + 23 + 16 + 26);
    EXPECT_EQ(l.outerWidth, 277);
    EXPECT_EQ(l.outerHeight, 122);
    EXPECT_EQ(l.left, 512 - 138);
    EXPECT_EQ(l.top, 384 - 61);
    EXPECT_EQ(l.icon, (LayoutRect{12, 13, 32, 32}));
    EXPECT_EQ(l.text, (LayoutRect{12 + 32 + 15, 13, 200, 13}));
    ASSERT_EQ(l.buttons.size(), 2u);
    // Row 75 + 6 + 75 = 156, centred: (271 - 156) / 2 = 57; top 32 + 13 + 16.
    EXPECT_EQ(l.buttons[0].kind, dbOK);
    EXPECT_EQ(l.buttons[0].rect, (LayoutRect{57, 61, 75, 23}));
    EXPECT_TRUE(l.buttons[0].isDefault);
    EXPECT_FALSE(l.buttons[0].isCancel);
    EXPECT_EQ(l.buttons[1].kind, dbCancel);
    EXPECT_EQ(l.buttons[1].rect, (LayoutRect{57 + 75 + 6, 61, 75, 23}));
    EXPECT_FALSE(l.buttons[1].isDefault);
    EXPECT_TRUE(l.buttons[1].isCancel);
}

TEST(MessageLayout, IconTakesTheSystemsSize) {
    ButtonWidthCache cache;
    MessageFormInput in = Standard(kButtonsOk, true, 200, 13);
    in.iconWidth = in.iconHeight = 48; // 150% scale
    const auto l = LayoutMessageForm(in, cache, SmallCaption);
    EXPECT_EQ(l.icon, (LayoutRect{12, 13, 48, 48}));
    EXPECT_EQ(l.text, (LayoutRect{12 + 48 + 15, 13, 200, 13}));
    EXPECT_EQ(l.clientWidth, 200 + 48 + 15 + 24);
    EXPECT_EQ(l.clientHeight, 48 + 23 + 16 + 26);
}

TEST(MessageLayout, InformationHasNoIconSoTextStartsAtTheMarginAndKeepsItsHeight) {
    ButtonWidthCache cache;
    const auto l = LayoutMessageForm(Standard(kButtonsOk, false, 100, 13), cache, SmallCaption);
    EXPECT_EQ(l.text, (LayoutRect{12, 13, 100, 13}));
    EXPECT_EQ(l.clientWidth, 100 + 24) << "the text is wider than the 75-pixel button";
    EXPECT_EQ(l.clientHeight, 13 + 23 + 16 + 26);
    ASSERT_EQ(l.buttons.size(), 1u);
    EXPECT_EQ(l.buttons[0].rect.left, (124 - 75) / 2);
    EXPECT_EQ(l.buttons[0].rect.top, 13 + 13 + 16);
    EXPECT_TRUE(l.buttons[0].isDefault && l.buttons[0].isCancel) << "OK alone takes both roles";
}

TEST(MessageLayout, IconRaisesOnlyShortTextBlocks) {
    ButtonWidthCache cache;
    EXPECT_EQ(
        LayoutMessageForm(Standard(kButtonsOk, true, 50, 13), cache, SmallCaption).clientHeight,
        32 + 23 + 16 + 26);
    EXPECT_EQ(
        LayoutMessageForm(Standard(kButtonsOk, true, 50, 52), cache, SmallCaption).clientHeight,
        52 + 23 + 16 + 26);
}

TEST(MessageLayout, ButtonRowWiderThanTextSetsTheWidth) {
    ButtonWidthCache cache;
    const auto l = LayoutMessageForm(Standard(kButtonsYesNo, false, 30, 13), cache, SmallCaption);
    EXPECT_EQ(l.clientWidth, 156 + 24);
    EXPECT_EQ(l.buttons[0].rect.left, 12) << "the row fills the client between the margins";
    EXPECT_EQ(l.buttons[1].rect.left, 12 + 75 + 6);
    EXPECT_EQ(l.text.left, 12) << "the text keeps to the left margin";
}

TEST(MessageLayout, WideCaptionWidensEveryButton) {
    ButtonWidthCache cache;
    // "No" measures 90: 98 > 75, so Yes gets 98 as well.
    const auto wide = [](DialogButton b) { return b == dbNo ? 90 : 10; };
    const auto l = LayoutMessageForm(Standard(kButtonsYesNo, true, 200, 13), cache, wide);
    EXPECT_EQ(l.buttonWidth, 98);
    ASSERT_EQ(l.buttons.size(), 2u);
    EXPECT_EQ(l.buttons[0].rect.width, 98);
    EXPECT_EQ(l.buttons[1].rect.width, 98);
    EXPECT_EQ(l.buttons[1].rect.left - l.buttons[0].rect.left, 98 + 6);
    EXPECT_EQ(l.clientWidth, 247 + 24) << "row 202 is still narrower than the text block";
}

TEST(MessageLayout, CachedWidthsOutliveTheFontTheyWereMeasuredWith) {
    ButtonWidthCache cache;
    int measured = 0;
    const auto first = [&](DialogButton) { return ++measured, 90; };
    LayoutMessageForm(Standard(kButtonsYesNo, true, 10, 13), cache, first);
    EXPECT_EQ(measured, 2);
    EXPECT_EQ(cache.Entry(dbYes), 98);
    EXPECT_EQ(cache.Entry(dbOK), 0) << "kinds not shown stay unmeasured";

    // A later dialog with a smaller font measures only the new kinds.
    const auto later = [&](DialogButton) { return ++measured, 5; };
    const auto l = LayoutMessageForm(Standard(ButtonSet(dbYes) | ButtonSet(dbCancel), true, 10, 13),
                                     cache, later);
    EXPECT_EQ(measured, 3);
    EXPECT_EQ(cache.Entry(dbCancel), 13);
    EXPECT_EQ(l.buttonWidth, 98) << "Yes keeps its first width";
}

TEST(MessageLayout, TextWiderThanHalfTheScreenWidensTheDialog) {
    EXPECT_EQ(MessageWrapWidth(1024), 512);
    ButtonWidthCache cache;
    // An unbreakable word 700 pixels wide: client 700 + 47 + 24 = 771, outer 777.
    const auto l = LayoutMessageForm(Standard(kButtonsOk, true, 700, 13), cache, SmallCaption);
    EXPECT_EQ(l.clientWidth, 771);
    EXPECT_EQ(l.left, 512 - 388);
    // Wider than the screen: the position goes negative, unclamped.
    const auto huge = LayoutMessageForm(Standard(kButtonsOk, true, 1100, 13), cache, SmallCaption);
    EXPECT_EQ(huge.left, 512 - (1100 + 47 + 24 + 6) / 2);
    EXPECT_LT(huge.left, 0);
}

TEST(MessageLayout, PositionHalvesScreenAndWindowSeparately) {
    ButtonWidthCache cache;
    // Outer 277 x 122 on a 1024 x 768 screen: 512 - 138 = 374, whereas
    // (1024 - 277) / 2 would give 373.
    const auto l =
        LayoutMessageForm(Standard(kButtonsOkCancel, true, 200, 13), cache, SmallCaption);
    EXPECT_EQ(l.left, 374);
}

TEST(MessageLayout, EmptyButtonSetKeepsTheButtonBand) {
    ButtonWidthCache cache;
    int measured = 0;
    const auto count = [&](DialogButton) { return ++measured, 10; };
    const auto l = LayoutMessageForm(Standard(0, true, 20, 13), cache, count);
    EXPECT_TRUE(l.buttons.empty());
    EXPECT_EQ(measured, 0);
    EXPECT_EQ(l.clientWidth, 20 + 47 + 24) << "no row: the text block alone";
    EXPECT_EQ(l.clientHeight, 32 + 23 + 16 + 26);
    EXPECT_EQ(l.roles.defaultButton, kNoButton);
    EXPECT_EQ(l.roles.cancelButton, kNoButton);
}

TEST(MessageLayout, AllButtonsInTableOrder) {
    ButtonWidthCache cache;
    DialogButtons all = 0;
    for (int b = DialogButtonCount - 1; b >= 0; --b)
        all |= ButtonSet(DialogButton(b));
    const auto l = LayoutMessageForm(Standard(all, false, 10, 13), cache, SmallCaption);
    ASSERT_EQ(l.buttons.size(), std::size_t(DialogButtonCount));
    for (int b = 0; b < DialogButtonCount; ++b) {
        EXPECT_EQ(l.buttons[b].kind, b);
        EXPECT_EQ(l.buttons[b].rect.left, 12 + b * 81) << "button " << b;
    }
}

InputBoxInput StandardInput() {
    InputBoxInput in;
    in.units = {6, 13};
    in.promptWidth = 130;
    in.promptHeight = 13;
    in.editHeight = EditHeight(13, 1);
    in.screenWidth = 1024;
    in.screenHeight = 768;
    in.frameWidth = 6;
    in.frameHeight = 25;
    return in;
}

TEST(InputBoxLayout, FixedSizesInDialogUnits) {
    const auto l = LayoutInputBox(StandardInput());
    // 180 h = 270; 63 v = 102.375.
    EXPECT_EQ(l.clientWidth, 270);
    EXPECT_EQ(l.clientHeight, 102);
    EXPECT_EQ(l.prompt, (LayoutRect{12, 13, 130, 13}));
    // 19 v = 30.875, 164 h = 246; the edit is its font plus 8 border pixels.
    EXPECT_EQ(l.edit, (LayoutRect{12, 31, 246, 21}));
    // 38 h = 57, 92 h = 138, 41 v = 66.625.
    EXPECT_EQ(l.ok, (LayoutRect{57, 67, 75, 23}));
    EXPECT_EQ(l.cancel, (LayoutRect{138, 67, 75, 23}));
}

TEST(InputBoxLayout, CentredOnTheDifferenceAndNeverOffTheTopLeft) {
    const auto l = LayoutInputBox(StandardInput());
    EXPECT_EQ(l.outerWidth, 276);
    EXPECT_EQ(l.left, (1024 - 276) / 2);
    EXPECT_EQ(l.top, (768 - 127) / 2) << "a halved odd difference truncates";

    InputBoxInput small = StandardInput();
    small.screenWidth = 200;
    small.screenHeight = 100;
    const auto s = LayoutInputBox(small);
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.top, 0);
}

// Absurd metrics (UBSan would stop at any overflow) get the layout of the
// nearest sane ones: every pixel size clamped to 0..MaxLayoutPixels, the base
// units to 0..MaxDialogBaseUnit, a caption's width too.
TEST(Layouts, AbsurdMetricsGetTheLayoutOfTheClampedOnes) {
    const auto huge = [](DialogButton) { return INT_MAX; };
    const auto sane = [](DialogButton) { return kMaxLayoutPixels; };
    for (const int absurd : {INT_MAX, INT_MIN}) {
        SCOPED_TRACE(testing::Message() << "every metric " << absurd);
        const int clamped = absurd > 0 ? kMaxLayoutPixels : 0;
        const int units = absurd > 0 ? kMaxDialogBaseUnit : 0;
        MessageFormInput in = Standard(~DialogButtons{0}, true, absurd, absurd);
        in.units = {absurd, absurd};
        in.screenWidth = in.screenHeight = in.frameWidth = in.frameHeight = absurd;
        MessageFormInput near = Standard(~DialogButtons{0}, true, clamped, clamped);
        near.units = {units, units};
        near.screenWidth = near.screenHeight = near.frameWidth = near.frameHeight = clamped;
        ButtonWidthCache cache, nearCache;
        const auto got = LayoutMessageForm(in, cache, huge);
        const auto want = LayoutMessageForm(near, nearCache, sane);
        EXPECT_EQ(got.outerWidth, want.outerWidth);
        EXPECT_EQ(got.outerHeight, want.outerHeight);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.text, want.text);
        ASSERT_EQ(got.buttons.size(), want.buttons.size());
        EXPECT_EQ(got.buttons.back().rect, want.buttons.back().rect);

        InputBoxInput box = StandardInput(), nearBox = StandardInput();
        box.units = {absurd, absurd};
        nearBox.units = {units, units};
        for (auto [a, b] : {std::pair{&box.promptWidth, &nearBox.promptWidth},
                            {&box.editHeight, &nearBox.editHeight},
                            {&box.screenWidth, &nearBox.screenWidth},
                            {&box.frameHeight, &nearBox.frameHeight}}) {
            *a = absurd;
            *b = clamped;
        }
        const auto gotBox = LayoutInputBox(box), wantBox = LayoutInputBox(nearBox);
        EXPECT_EQ(gotBox.outerHeight, wantBox.outerHeight);
        EXPECT_EQ(gotBox.left, wantBox.left);
        EXPECT_EQ(gotBox.prompt, wantBox.prompt);
        EXPECT_EQ(gotBox.edit, wantBox.edit);
        EXPECT_EQ(gotBox.cancel, wantBox.cancel);
    }
}

TEST(AccessKeys, FoundBehindASingleAmpersand) {
    EXPECT_EQ(AccessKeyOf("はい(&Y)"), 'Y');
    EXPECT_EQ(AccessKeyOf("いいえ(&N)"), 'N');
    EXPECT_EQ(AccessKeyOf("&save"), 'S') << "letters compare in upper case";
    EXPECT_EQ(AccessKeyOf("A&&B&c"), 'C') << "&& is a plain &";
    EXPECT_EQ(AccessKeyOf("&ｱ"), '\xB1') << "single-byte katakana are keys as they are";
}

TEST(AccessKeys, NoneWhereThereIsNoSingleAmpersand) {
    EXPECT_EQ(AccessKeyOf("OK"), 0);
    EXPECT_EQ(AccessKeyOf("ｷｬﾝｾﾙ"), 0);
    EXPECT_EQ(AccessKeyOf("&&OK"), 0);
    EXPECT_EQ(AccessKeyOf("OK&"), 0) << "a trailing & marks nothing";
    EXPECT_EQ(AccessKeyOf("&表"), 0) << "a double-byte character is not one typed byte";
    EXPECT_EQ(AccessKeyOf(""), 0);
}

TEST(AccessKeys, TypedCharacterMatchesRegardlessOfCase) {
    EXPECT_TRUE(IsAccessKey("はい(&Y)", 'y'));
    EXPECT_TRUE(IsAccessKey("はい(&Y)", 'Y'));
    EXPECT_FALSE(IsAccessKey("はい(&Y)", 'n'));
    EXPECT_FALSE(IsAccessKey("OK", 'O'));
    EXPECT_FALSE(IsAccessKey("OK", 0)) << "no key is not a match for a zero byte";
}

} // namespace
} // namespace vorn
