// Implements tests/wine/dialog_driver.h.
#include "tests/wine/dialog_driver.h"

#include <algorithm>
#include <cstring>

namespace vorn::dialog_driver {

namespace {

bool IsDialogClass(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return !std::strcmp(name, "TMessageForm") || !std::strcmp(name, "TForm");
}

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM found) {
    if (!IsWindowVisible(hwnd) || !IsDialogClass(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

BOOL CALLBACK FindAnyDialog(HWND hwnd, LPARAM found) {
    if (IsDialogClass(hwnd)) ++*reinterpret_cast<int*>(found);
    return TRUE;
}

LPARAM KeyData(UINT vk, bool up, bool alt) {
    LPARAM data = 1 | (MapVirtualKeyA(vk, 0) << 16);
    if (alt) data |= LPARAM{1} << 29;
    if (up) data |= LPARAM(0xC0000000);
    return data;
}

} // namespace

HWND FindDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

int DialogWindowsLeft() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), FindAnyDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

String ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

String TextOf(HWND hwnd) {
    char text[1024] = {};
    SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

String CaptionOf(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// Sorted stably, so controls at the same left edge keep their window order.
std::vector<HWND> ChildrenOf(HWND dialog, const char* className) {
    std::vector<HWND> found;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == className) found.push_back(c);
    std::stable_sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return found;
}

std::vector<String> ButtonCaptions(HWND dialog) {
    std::vector<String> captions;
    for (HWND b : ChildrenOf(dialog, "Button"))
        captions.push_back(TextOf(b));
    return captions;
}

HWND ButtonCaptioned(HWND dialog, const String& caption) {
    for (HWND b : ChildrenOf(dialog, "Button"))
        if (TextOf(b) == caption) return b;
    ADD_FAILURE() << "no button " << caption;
    return nullptr;
}

// A control's rectangle in its dialog's client coordinates.
RECT PlaceOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND Focused() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    return info.hwndFocus;
}

bool HasDefaultFrame(HWND button) {
    return (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

Step Key(UINT vk) {
    return [vk](HWND) {
        HWND target = Focused();
        PostMessageA(target, WM_KEYDOWN, vk, KeyData(vk, false, false));
        PostMessageA(target, WM_KEYUP, vk, KeyData(vk, true, false));
    };
}

Step AltKey(UINT vk) {
    return [vk](HWND) {
        HWND target = Focused();
        PostMessageA(target, WM_SYSKEYDOWN, vk, KeyData(vk, false, true));
        PostMessageA(target, WM_SYSKEYUP, vk, KeyData(vk, true, true));
    };
}

// Posted keys carry no modifier state; the keyboard state table does. The
// posted messages are handled before the next tick, which releases it again.
void SetModifiers(UINT vk, bool down) {
    BYTE state[256];
    GetKeyboardState(state);
    for (UINT k : {VK_SHIFT, VK_CONTROL, VK_MENU})
        state[k] = 0;
    if (down) state[vk] = 0x80;
    SetKeyboardState(state);
}

Step Held(UINT modifier, UINT vk) {
    return [=](HWND d) {
        SetModifiers(modifier, true);
        Key(vk)(d);
    };
}

Step Type(const char* text) {
    return [text](HWND d) {
        for (const char* c = text; *c; ++c)
            Key(VkKeyScanA(*c) & 0xFF)(d);
    };
}

Step Chars(const char* bytes) {
    return [bytes](HWND) {
        HWND target = Focused();
        for (const char* c = bytes; *c; ++c)
            PostMessageA(target, WM_CHAR, static_cast<unsigned char>(*c), 1);
    };
}

Step Click(const String& caption) {
    return [caption](HWND d) { PostMessageA(ButtonCaptioned(d, caption), BM_CLICK, 0, 0); };
}

Step CloseBox() {
    return [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

Step Quit() {
    return [](HWND) { PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0); };
}

// Runs `steps`, one per timer tick, on the dialog that the call under test
// shows. A dialog still open well after the last step is closed by a quit
// message so that a failing case cannot hang the suite.

Driver* Driver::current_ = nullptr;

Driver::Driver(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 25, Tick);
}

Driver::~Driver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
    SetModifiers(0, false); // of a case that ended with one held
}

void Driver::ExpectCompleted() const {
    EXPECT_EQ(next_, steps_.size()) << "the dialog closed before all steps ran";
    EXPECT_FALSE(forced_) << "the dialog ignored the steps and was ended by a quit message";
}

void CALLBACK Driver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    Driver* d = current_;
    HWND dialog = d ? FindDialog() : nullptr;
    if (!dialog) return;
    if (d->next_ < d->steps_.size()) {
        SetModifiers(0, false);
        // Other programs on the display may take the activation away; a user
        // would click the dialog to get it back.
        if (GetActiveWindow() != dialog) SetActiveWindow(dialog);
        d->steps_[d->next_++](dialog);
    } else if (++d->idleTicks_ == 40) {
        d->forced_ = true;
        PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    }
}

} // namespace vorn::dialog_driver
