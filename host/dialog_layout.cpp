// Implements host/dialog_layout.h. Portable.
#include "host/dialog_layout.h"
#include "host/app_title.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace vorn {

int MulDivRounded(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    std::int64_t product = std::int64_t{number} * numerator;
    std::int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    // Adding half the divisor to the magnitude takes halves away from zero.
    const std::int64_t result =
        product >= 0 ? (product + divisor / 2) / divisor : -((-product + divisor / 2) / divisor);
    if (result > INT32_MAX || result < -INT32_MAX) return -1;
    return static_cast<int>(result);
}

DialogUnits DialogUnitsFromExtent(int sampleWidth, int sampleHeight) {
    return {sampleWidth / 52, sampleHeight};
}

namespace {

int Pixels(int value) {
    return std::clamp(value, 0, kMaxLayoutPixels);
}

// Keeps every sum and product of the layouts far inside 32 bits.
DialogUnits SaneUnits(const DialogUnits& units) {
    return {std::clamp(units.x, 0, kMaxDialogBaseUnit), std::clamp(units.y, 0, kMaxDialogBaseUnit)};
}

} // namespace

int ButtonWidthCache::Width(DialogButton kind, const CaptionMeasure& measure) {
    if (widths_[kind] == 0) widths_[kind] = Pixels(measure(kind)) + 8;
    return widths_[kind];
}

ButtonRoles ChooseButtonRoles(DialogButtons buttons) {
    // The first of `order` the dialog has.
    const auto first = [buttons](std::initializer_list<DialogButton> order) {
        for (DialogButton b : order)
            if (buttons & ButtonSet(b)) return static_cast<int>(b);
        return kNoButton;
    };
    return {first({dbOK, dbYes, dbRetry}), first({dbCancel, dbNo, dbOK})};
}

MessageFormLayout LayoutMessageForm(const MessageFormInput& given, ButtonWidthCache& cache,
                                    const CaptionMeasure& measureCaption) {
    MessageFormInput in = given;
    for (int* pixels : {&in.textWidth, &in.textHeight, &in.screenWidth, &in.screenHeight,
                        &in.frameWidth, &in.frameHeight, &in.iconWidth, &in.iconHeight})
        *pixels = Pixels(*pixels);
    const DialogUnits u = SaneUnits(in.units);
    const int marginX = u.Horz(8), marginY = u.Vert(8);
    const int iconToText = u.Horz(10), textToButtons = u.Vert(10);
    const int buttonGap = u.Horz(4);

    MessageFormLayout out;
    out.buttonWidth = u.Horz(50);
    out.buttonHeight = u.Vert(14);
    int buttonCount = 0;
    for (int b = 0; b < DialogButtonCount; ++b) {
        if (!(in.buttons & ButtonSet(DialogButton(b)))) continue;
        ++buttonCount;
        out.buttonWidth = std::max(out.buttonWidth, cache.Width(DialogButton(b), measureCaption));
    }

    int blockWidth = in.textWidth, blockHeight = in.textHeight;
    if (in.hasIcon) {
        blockWidth += in.iconWidth + iconToText;
        blockHeight = std::max(blockHeight, in.iconHeight);
    }
    const int rowWidth =
        buttonCount == 0 ? 0 : buttonCount * out.buttonWidth + (buttonCount - 1) * buttonGap;

    out.clientWidth = std::max(blockWidth, rowWidth) + 2 * marginX;
    out.clientHeight = blockHeight + out.buttonHeight + textToButtons + 2 * marginY;
    out.outerWidth = out.clientWidth + in.frameWidth;
    out.outerHeight = out.clientHeight + in.frameHeight;
    out.left = in.screenWidth / 2 - out.outerWidth / 2;
    out.top = in.screenHeight / 2 - out.outerHeight / 2;

    out.icon = {marginX, marginY, in.iconWidth, in.iconHeight};
    out.text = {blockWidth - in.textWidth + marginX, marginY, in.textWidth, in.textHeight};

    out.roles = ChooseButtonRoles(in.buttons);
    int left = (out.clientWidth - rowWidth) / 2;
    const int buttonTop = blockHeight + marginY + textToButtons;
    for (int b = 0; b < DialogButtonCount; ++b) {
        if (!(in.buttons & ButtonSet(DialogButton(b)))) continue;
        out.buttons.push_back({DialogButton(b),
                               {left, buttonTop, out.buttonWidth, out.buttonHeight},
                               out.roles.defaultButton == b,
                               out.roles.cancelButton == b});
        left += out.buttonWidth + buttonGap;
    }
    return out;
}

InputBoxLayout LayoutInputBox(const InputBoxInput& given) {
    InputBoxInput in = given;
    for (int* pixels : {&in.promptWidth, &in.promptHeight, &in.editHeight, &in.screenWidth,
                        &in.screenHeight, &in.frameWidth, &in.frameHeight})
        *pixels = Pixels(*pixels);
    const DialogUnits u = SaneUnits(in.units);
    InputBoxLayout out;
    out.clientWidth = u.Horz(180);
    out.clientHeight = u.Vert(63);
    out.outerWidth = out.clientWidth + in.frameWidth;
    out.outerHeight = out.clientHeight + in.frameHeight;
    out.left = std::max(0, (in.screenWidth - out.outerWidth) / 2);
    out.top = std::max(0, (in.screenHeight - out.outerHeight) / 2);
    out.prompt = {u.Horz(8), u.Vert(8), in.promptWidth, in.promptHeight};
    out.edit = {out.prompt.left, u.Vert(19), u.Horz(164), in.editHeight};
    out.ok = {u.Horz(38), u.Vert(41), u.Horz(50), u.Vert(14)};
    out.cancel = {u.Horz(92), u.Vert(41), u.Horz(50), u.Vert(14)};
    return out;
}

namespace {
char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

char AccessKeyOf(const String& caption, LeadByteTest isLeadByte) {
    for (std::size_t at = 0; at < caption.size(); ++at) {
        if (isLeadByte(static_cast<unsigned char>(caption[at]))) {
            ++at;
        } else if (caption[at] == '&' && at + 1 < caption.size()) {
            const char next = caption[++at];
            if (next == '&') continue;
            // A double-byte character cannot arrive as one typed byte.
            return isLeadByte(static_cast<unsigned char>(next)) ? 0 : UpperAscii(next);
        }
    }
    return 0;
}

bool IsAccessKey(const String& caption, char typed, LeadByteTest isLeadByte) {
    const char key = AccessKeyOf(caption, isLeadByte);
    return key != 0 && key == UpperAscii(typed);
}

bool TypedBytes::TakeSingle(char typed) {
    if (trailDue_) {
        trailDue_ = false;
        return false;
    }
    trailDue_ = isLeadByte_(static_cast<unsigned char>(typed));
    return !trailDue_;
}

} // namespace vorn
