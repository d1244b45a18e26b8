// Where the dialogs put their windows, in dialog units of the dialog's own
// font. Portable: dialogs_win32.cpp measures (font, text, captions, screen,
// window frame) and places its windows by these numbers; the tests feed the
// same functions with numbers of their own.
//
// Contract: pure arithmetic; nothing here fails and nothing overflows, whatever
// the input. Real screens and fonts give pixel sizes well inside
// 0..MaxLayoutPixels and dialog base units inside 0..MaxDialogBaseUnit; for
// such inputs the numbers below are exact. The layout functions first clamp
// every input (and every caption width measured) into those ranges, so an
// absurd input gets the layout of the nearest sane one. The one piece of state
// is the ButtonWidthCache the caller hands in; the Win32 side keeps one for the
// whole process, so a caption measured once keeps its width.
#pragma once

#include "host/app_title.h"
#include "host/dialogs.h"
#include <array>
#include <functional>
#include <vector>

namespace vorn {

// number * numerator / denominator with a 64-bit product, rounded to the
// nearest integer, halves away from zero; -1 when the denominator is 0 or the
// result lies outside -INT_MAX..INT_MAX, which includes an exact INT_MIN (as
// with the Win32 MulDiv). -1 is also an ordinary result, so a caller that must
// tell failure apart keeps its arguments where the result cannot be -1 or out
// of range. The same answers as the Win32 MulDiv, except where that one
// negates INT_MIN in 32 bits (a negative divisor with INT_MIN as number or
// divisor) and gets the sign wrong: here the answer stays exact.
int MulDivRounded(int number, int numerator, int denominator);

inline constexpr int kMaxLayoutPixels = 1 << 16;
inline constexpr int kMaxDialogBaseUnit = 1 << 10;

// The 52 letters whose extent gives a font's dialog base units.
inline constexpr char kDialogUnitsSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A font's dialog base units in pixels: x is the average letter width, y the
// line height. n horizontal units are n * x / 4 pixels, n vertical ones n * y / 8.
struct DialogUnits {
    int x = 0;
    int y = 0;
    int Horz(int n) const { return MulDivRounded(n, x, 4); }
    int Vert(int n) const { return MulDivRounded(n, y, 8); }
};
// From the extent of kDialogUnitsSample in the font.
DialogUnits DialogUnitsFromExtent(int sampleWidth, int sampleHeight);

struct LayoutRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// Measures a button caption on one line, in pixels, with the dialog's font.
using CaptionMeasure = std::function<int(DialogButton)>;

// Per button kind: its caption's width (clamped to 0..MaxLayoutPixels) plus 8,
// measured the first time a message dialog with that kind is laid out; 0 while
// not measured.
class ButtonWidthCache {
  public:
    int Entry(DialogButton kind) const { return widths_[kind]; }
    int Width(DialogButton kind, const CaptionMeasure& measure);

  private:
    std::array<int, DialogButtonCount> widths_{};
};

inline constexpr int kNoButton = -1;
// Which button Enter presses and which Escape presses (a DialogButton or kNoButton).
struct ButtonRoles {
    int defaultButton = kNoButton;
    int cancelButton = kNoButton;
};
ButtonRoles ChooseButtonRoles(DialogButtons buttons);

inline bool KindHasIcon(DialogKind kind) {
    return kind != DialogKind::Custom;
}
// The icon's size at 100% scale; the form takes the system's (SM_CXICON,
// SM_CYICON: 40 or 48 pixels at 125% or 150%).
inline constexpr int kIconSize = 32;
// The message text wraps at half the screen width.
inline int MessageWrapWidth(int screenWidth) {
    return screenWidth / 2;
}

// What a form is placed against: the screen it is centred on and the frame
// its window adds around the client area (outer size minus client size).
struct FormSurroundings {
    int screenWidth = 0;
    int screenHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
};

// A form's window: client and outer size, and where the outer window sits on
// the screen.
struct FormPlacement {
    int clientWidth = 0;
    int clientHeight = 0;
    int outerWidth = 0;
    int outerHeight = 0;
    int left = 0;
    int top = 0;
};

struct MessageFormInput : FormSurroundings {
    DialogUnits units;
    DialogButtons buttons = 0;
    bool hasIcon = false;
    int iconWidth = kIconSize;
    int iconHeight = kIconSize;
    int textWidth = 0;  // the text laid out at MessageWrapWidth: right of the rectangle
    int textHeight = 0; // and its bottom
};

struct PlacedButton {
    DialogButton kind;
    LayoutRect rect; // in client coordinates
    bool isDefault;
    bool isCancel;
};

struct MessageFormLayout : FormPlacement {
    LayoutRect icon; // meaningful only with an icon
    LayoutRect text;
    int buttonWidth = 0;
    int buttonHeight = 0;
    std::vector<PlacedButton> buttons; // left to right
    ButtonRoles roles;
};

MessageFormLayout LayoutMessageForm(const MessageFormInput& in, ButtonWidthCache& cache,
                                    const CaptionMeasure& measureCaption);

// A one-line edit field is as high as its font plus a border of four
// `borderHeight`s above and below (frame, client edge and inner margin).
inline int EditHeight(int fontHeight, int borderHeight) {
    return fontHeight + 8 * borderHeight;
}

struct InputBoxInput : FormSurroundings {
    DialogUnits units;
    int promptWidth = 0; // the prompt measured on one line
    int promptHeight = 0;
    int editHeight = 0;
};

struct InputBoxLayout : FormPlacement {
    LayoutRect prompt;
    LayoutRect edit;
    LayoutRect ok;
    LayoutRect cancel;
};

InputBoxLayout LayoutInputBox(const InputBoxInput& in);

// The access key of a button caption: the byte behind a single "&" ("&&"
// stands for "&" itself, double-byte characters are skipped whole), ASCII
// letters in upper case; 0 when the caption has none.
char AccessKeyOf(const String& caption, LeadByteTest isLeadByte = IsCp932LeadByte);
// Whether a typed character is the caption's access key, regardless of case.
bool IsAccessKey(const String& caption, char typed, LeadByteTest isLeadByte = IsCp932LeadByte);

// Typed characters reach an ANSI window one byte at a time: a double-byte
// character as two messages, its lead byte and then its trail byte, which may
// well be a letter ("ハ" is 83 6E, "ズ" 83 59). Follows that stream so that
// neither byte of such a character is ever taken for an access key.
class TypedBytes {
  public:
    explicit TypedBytes(LeadByteTest isLeadByte = IsCp932LeadByte) : isLeadByte_(isLeadByte) {}
    // Takes the next typed byte; true when it is a character on its own,
    // false for a lead byte and for the trail byte behind it.
    bool TakeSingle(char typed);
    // A key was struck: a lead byte left waiting has no trail byte coming.
    void KeyStruck() { trailDue_ = false; }

  private:
    LeadByteTest isLeadByte_;
    bool trailDue_ = false;
};

} // namespace vorn
