// The dialogs on Wine's Win32: the result of every way of closing, captions
// and controls, the layout measured from the real windows, modality and
// failures. A thread timer, dispatched by the dialog's own modal loop, finds
// the dialog and acts on it by posting what the UI robot posts.
#include "host/application.h"
#include "host/dialog_layout.h"
#include "host/dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace vorn {
namespace {

// ---- reading the dialog, as the robot reads it

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

HWND FindDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK FindAnyDialog(HWND hwnd, LPARAM found) {
    if (IsDialogClass(hwnd)) ++*reinterpret_cast<int*>(found);
    return TRUE;
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

// Children of one window class, left to right (top to bottom at equal left).
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

// ---- acting on the dialog, as the robot acts

using Step = std::function<void(HWND dialog)>;

LPARAM KeyData(UINT vk, bool up, bool alt) {
    LPARAM data = 1 | (MapVirtualKeyA(vk, 0) << 16);
    if (alt) data |= LPARAM{1} << 29;
    if (up) data |= LPARAM(0xC0000000);
    return data;
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
class Driver {
  public:
    explicit Driver(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 25, Tick);
    }
    ~Driver() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
        SetModifiers(0, false); // of a case that ended with one held
    }
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Every step ran and the dialog closed without being forced.
    void ExpectCompleted() const {
        EXPECT_EQ(next_, steps_.size()) << "the dialog closed before all steps ran";
        EXPECT_FALSE(forced_) << "the dialog ignored the steps and was ended by a quit message";
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Driver* d = current_;
        HWND dialog = d ? FindDialog() : nullptr;
        if (!dialog) return;
        if (d->next_ < d->steps_.size()) {
            SetModifiers(0, false);
            // Other programs on the display may take the activation away; a
            // user would click the dialog to get it back.
            if (GetActiveWindow() != dialog) SetActiveWindow(dialog);
            d->steps_[d->next_++](dialog);
        } else if (++d->idleTicks_ == 40) {
            d->forced_ = true;
            PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
        }
    }

    static inline Driver* current_ = nullptr;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int idleTicks_ = 0;
    bool forced_ = false;
    UINT_PTR timer_ = 0;
};

const String kOk = "OK", kCancel = "ｷｬﾝｾﾙ", kYes = "はい(&Y)", kNo = "いいえ(&N)";
const String kMessage = "ICQが起動している場合はただちに終了して下さい";

TModalResult Ask(DialogButtons buttons, std::vector<Step> steps) {
    Driver driver(std::move(steps));
    const TModalResult result = AskUser(kMessage, DialogKind::Warning, buttons, 0);
    driver.ExpectCompleted();
    return result;
}

struct Closing {
    const char* how;
    std::vector<Step> steps;
    TModalResult expected;
};

void ExpectClosings(DialogButtons buttons, const std::vector<Closing>& closings) {
    for (const Closing& c : closings) {
        SCOPED_TRACE(c.how);
        EXPECT_EQ(Ask(buttons, c.steps), c.expected);
    }
}

TEST(Closing, WarningOkCancel) {
    ExpectClosings(ButtonsOkCancel,
                   {
                       {"first button", {Click(kOk)}, mrOk},
                       {"second button", {Click(kCancel)}, mrCancel},
                       {"Enter, focus untouched", {Key(VK_RETURN)}, mrOk},
                       {"Escape", {Key(VK_ESCAPE)}, mrCancel},
                       {"no access keys", {Type("oc"), AltKey('O'), Key(VK_ESCAPE)}, mrCancel},
                       {"close box", {CloseBox()}, mrCancel},
                       {"Alt+F4", {AltKey(VK_F4)}, mrCancel},
                       {"quit request", {Quit()}, mrCancel},
                       {"Space on the focused button", {Key(VK_SPACE)}, mrOk},
                   });
}

TEST(Closing, WarningYesNo) {
    ExpectClosings(ButtonsYesNo, {
                                     {"first button", {Click(kYes)}, mrYes},
                                     {"second button", {Click(kNo)}, mrNo},
                                     {"Enter, focus untouched", {Key(VK_RETURN)}, mrYes},
                                     {"Escape", {Key(VK_ESCAPE)}, mrNo},
                                     {"access key y", {Type("y")}, mrYes},
                                     {"access key n", {Type("n")}, mrNo},
                                     {"access key N with Shift", {Held(VK_SHIFT, 'N')}, mrNo},
                                     {"Alt+Y", {AltKey('Y')}, mrYes},
                                     {"Alt+N", {AltKey('N')}, mrNo},
                                     {"other letters do nothing", {Type("q"), Click(kNo)}, mrNo},
                                     {"close box", {CloseBox()}, mrCancel},
                                     {"Alt+F4", {AltKey(VK_F4)}, mrCancel},
                                     {"quit request", {Quit()}, mrCancel},
                                 });
}

TEST(Closing, WarningOkAloneAnswersOkAlsoToEscape) {
    ExpectClosings(ButtonsOk, {
                                  {"the button", {Click(kOk)}, mrOk},
                                  {"Enter, focus untouched", {Key(VK_RETURN)}, mrOk},
                                  {"Escape", {Key(VK_ESCAPE)}, mrOk},
                                  {"no access key", {Type("o"), Key(VK_RETURN)}, mrOk},
                                  {"close box", {CloseBox()}, mrCancel},
                                  {"Alt+F4", {AltKey(VK_F4)}, mrCancel},
                                  {"quit request", {Quit()}, mrCancel},
                              });
}

TEST(Closing, InformationClosesEveryWay) {
    const std::vector<std::pair<const char*, std::vector<Step>>> ways = {
        {"the button", {Click(kOk)}}, {"Enter", {Key(VK_RETURN)}}, {"Escape", {Key(VK_ESCAPE)}},
        {"close box", {CloseBox()}},  {"Alt+F4", {AltKey(VK_F4)}}, {"quit request", {Quit()}},
        {"Space", {Key(VK_SPACE)}},
    };
    for (const auto& [how, steps] : ways) {
        SCOPED_TRACE(how);
        Driver driver(steps);
        Inform("変更を有効にするにはWindowsを再起動して下さい");
        driver.ExpectCompleted();
    }
}

TEST(Closing, FocusMovedByKeysDecidesWhatEnterPresses) {
    ExpectClosings(
        ButtonsOkCancel,
        {
            {"Tab", {Key(VK_TAB), Key(VK_RETURN)}, mrCancel},
            {"Tab twice wraps around", {Key(VK_TAB), Key(VK_TAB), Key(VK_RETURN)}, mrOk},
            {"Shift+Tab wraps backwards", {Held(VK_SHIFT, VK_TAB), Key(VK_RETURN)}, mrCancel},
            {"Right arrow", {Key(VK_RIGHT), Key(VK_RETURN)}, mrCancel},
            {"Down arrow", {Key(VK_DOWN), Key(VK_RETURN)}, mrCancel},
            {"Left arrow wraps", {Key(VK_LEFT), Key(VK_RETURN)}, mrCancel},
            {"Up arrow twice", {Key(VK_UP), Key(VK_UP), Key(VK_RETURN)}, mrOk},
            {"Space on the moved focus", {Key(VK_TAB), Key(VK_SPACE)}, mrCancel},
        });
    ExpectClosings(ButtonsYesNo, {{"Right arrow", {Key(VK_RIGHT), Key(VK_RETURN)}, mrNo},
                                  {"Escape after moving", {Key(VK_RIGHT), Key(VK_ESCAPE)}, mrNo},
                                  {"Tab to No, Escape", {Key(VK_TAB), Key(VK_ESCAPE)}, mrNo}});
}

TEST(Closing, EnterAndEscapeWithAModifierDoNothing) {
    ExpectClosings(ButtonsOkCancel,
                   {
                       {"Shift+Enter", {Held(VK_SHIFT, VK_RETURN), Click(kCancel)}, mrCancel},
                       {"Ctrl+Enter", {Held(VK_CONTROL, VK_RETURN), Click(kCancel)}, mrCancel},
                       {"Shift+Escape", {Held(VK_SHIFT, VK_ESCAPE), Click(kOk)}, mrOk},
                   });
}

TEST(Closing, DefaultFrameFollowsTheFocusedButton) {
    std::vector<bool> framed; // OK, Cancel after each step
    const auto record = [&](HWND d) {
        framed.push_back(HasDefaultFrame(ButtonCaptioned(d, kOk)));
        framed.push_back(HasDefaultFrame(ButtonCaptioned(d, kCancel)));
    };
    EXPECT_EQ(
        Ask(ButtonsOkCancel, {record, Key(VK_TAB), record, Key(VK_TAB), record, Click(kCancel)}),
        mrCancel);
    EXPECT_EQ(framed, (std::vector<bool>{true, false, false, true, true, false}));
}

TEST(Closing, HelpButtonKeepsTheDialogOpen) {
    Driver driver({Click("ﾍﾙﾌﾟ(&H)"), AltKey('H'), Click(kOk)});
    EXPECT_EQ(AskUser("?", DialogKind::Confirmation, ButtonsOk | ButtonSet(dbHelp), 0), mrOk);
    driver.ExpectCompleted();
}

// ---- the input box

const String kDefault = "Korvel";

String Prompt(std::vector<Step> steps, const String& defaultText = kDefault) {
    Driver driver(std::move(steps));
    String text = PromptForText("ICQ履歴日本語化", "置き換えフォント名を入力", defaultText);
    driver.ExpectCompleted();
    return text;
}

TEST(InputBox, ClosingTable) {
    const struct {
        const char* how;
        std::vector<Step> steps;
        String expected;
    } closings[] = {
        {"OK", {Type("ab"), Click(kOk)}, "ab"},
        {"Cancel", {Type("ab"), Click(kCancel)}, kDefault},
        {"Enter, focus untouched", {Type("ab"), Key(VK_RETURN)}, "ab"},
        {"Escape", {Type("ab"), Key(VK_ESCAPE)}, kDefault},
        {"close box", {Type("ab"), CloseBox()}, kDefault},
        {"Alt+F4", {Type("ab"), AltKey(VK_F4)}, kDefault},
        {"quit request", {Type("ab"), Quit()}, kDefault},
        {"typed letters go to the field", {Type("ok"), AltKey('O'), Key(VK_RETURN)}, "ok"},
        {"Tab to OK, Enter", {Type("ab"), Key(VK_TAB), Key(VK_RETURN)}, "ab"},
        {"Tab to OK, Space", {Type("ab"), Key(VK_TAB), Key(VK_SPACE)}, "ab"},
        {"Tab twice to Cancel, Enter",
         {Type("ab"), Key(VK_TAB), Key(VK_TAB), Key(VK_RETURN)},
         kDefault},
        {"Shift+Tab to Cancel, Enter",
         {Type("ab"), Held(VK_SHIFT, VK_TAB), Key(VK_RETURN)},
         kDefault},
        {"emptied field", {Key(VK_DELETE), Click(kOk)}, ""},
        {"no trimming", {Type(" a b "), Key(VK_RETURN)}, " a b "},
    };
    for (const auto& c : closings) {
        SCOPED_TRACE(c.how);
        EXPECT_EQ(Prompt(c.steps), c.expected);
    }
}

TEST(InputBox, QueryTextChangesTheValueOnlyForOk) {
    String value = "Korvel";
    {
        Driver driver({Key(VK_RETURN)});
        EXPECT_TRUE(QueryText("c", "p", value));
        driver.ExpectCompleted();
    }
    EXPECT_EQ(value, "Korvel");
    {
        Driver driver({Type("x"), Key(VK_ESCAPE)});
        EXPECT_FALSE(QueryText("c", "p", value));
        driver.ExpectCompleted();
    }
    EXPECT_EQ(value, "Korvel");
}

TEST(InputBox, LongDefaultStaysWholeButTypingStopsAt255) {
    const String longDefault(300, 'k');
    String shown;
    const auto read = [&](HWND d) { shown = TextOf(ChildrenOf(d, "Edit").at(0)); };
    EXPECT_EQ(Prompt({read, Key(VK_END), Type("x"), Key(VK_RETURN)}, longDefault), longDefault);
    EXPECT_EQ(shown, longDefault);
    EXPECT_EQ(Prompt({Type("x"), Key(VK_RETURN)}, longDefault), "x") << "a selection is replaced";
}

TEST(InputBox, FieldSelectsItsTextWhenReachedByKeyNotByClick) {
    std::vector<DWORD> selections; // start and end after each reading
    const auto readSelection = [&](HWND d) {
        DWORD start = 0, end = 0;
        SendMessageA(ChildrenOf(d, "Edit").at(0), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        selections.insert(selections.end(), {start, end});
    };
    const auto clickIntoField = [](HWND d) {
        HWND edit = ChildrenOf(d, "Edit").at(0);
        const LPARAM at = MAKELPARAM(2, 4);
        PostMessageA(edit, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(edit, WM_LBUTTONUP, 0, at);
    };
    Prompt({readSelection, Key(VK_END), readSelection, Key(VK_TAB), Key(VK_TAB), Key(VK_TAB),
            readSelection, Key(VK_TAB), clickIntoField, readSelection, Click(kCancel)});
    ASSERT_EQ(selections.size(), 8u);
    EXPECT_EQ(selections[0], 0u) << "selected initially";
    EXPECT_EQ(selections[1], 6u);
    EXPECT_EQ(selections[2], selections[3]) << "End leaves no selection";
    EXPECT_EQ(selections[4], 0u) << "selected again after Tab around";
    EXPECT_EQ(selections[5], 6u);
    EXPECT_EQ(selections[6], selections[7]) << "a click places the caret";
    EXPECT_LT(selections[7], 6u);
}

// ---- captions, controls and focus

struct Seen {
    String caption;
    std::vector<String> buttons;
    String label;
    HWND focus = nullptr;
    String focusClass;
    HWND firstButton = nullptr;
    HWND owner = nullptr;
    LONG style = 0;
    LONG exStyle = 0;
    HICON icon = nullptr;
    bool hasIcon = false;
};

Step Look(Seen& seen) {
    return [&seen](HWND d) {
        seen.caption = CaptionOf(d);
        seen.buttons = ButtonCaptions(d);
        const auto statics = ChildrenOf(d, "Static");
        for (HWND s : statics) {
            if ((GetWindowLongA(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                seen.hasIcon = true;
                seen.icon = reinterpret_cast<HICON>(SendMessageA(s, STM_GETICON, 0, 0));
            } else {
                seen.label = TextOf(s);
            }
        }
        seen.focus = Focused();
        seen.focusClass = ClassOf(seen.focus);
        const auto buttons = ChildrenOf(d, "Button");
        seen.firstButton = buttons.empty() ? nullptr : buttons.front();
        seen.owner = GetWindow(d, GW_OWNER);
        seen.style = GetWindowLongA(d, GWL_STYLE);
        seen.exStyle = GetWindowLongA(d, GWL_EXSTYLE);
    };
}

TEST(Controls, MessageDialogsShowKindCaptionIconTextAndButtonsInOrder) {
    const struct {
        DialogKind kind;
        DialogButtons buttons;
        const char* caption;
        WORD icon;
        std::vector<String> captions;
    } cases[] = {
        {DialogKind::Warning, ButtonsOkCancel, "警告", 32515, {kOk, kCancel}},
        {DialogKind::Warning, ButtonsYesNo, "警告", 32515, {kYes, kNo}},
        {DialogKind::Warning, ButtonsOk, "警告", 32515, {kOk}},
        {DialogKind::Error, ButtonsOk, "ｴﾗｰ", 32513, {kOk}},
        {DialogKind::Information, ButtonsOk, "情報", 32516, {kOk}},
        {DialogKind::Confirmation,
         ButtonSet(dbAbort) | ButtonSet(dbRetry) | ButtonSet(dbIgnore),
         "確認",
         32514,
         {"中止(&A)", "再試行(&R)", "無視(&I)"}},
        {DialogKind::Confirmation,
         ButtonSet(dbAll) | ButtonSet(dbNoToAll) | ButtonSet(dbYesToAll) | ButtonSet(dbHelp),
         "確認",
         32514,
         {"すべて", "すべていいえ(&O)", "すべてはい(&E)", "ﾍﾙﾌﾟ(&H)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        Seen seen;
        Driver driver({Look(seen), CloseBox()});
        EXPECT_EQ(AskUser(kMessage, c.kind, c.buttons, 0), mrCancel);
        driver.ExpectCompleted();
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.buttons, c.captions);
        EXPECT_EQ(seen.label, kMessage);
        EXPECT_TRUE(seen.hasIcon);
        EXPECT_EQ(seen.icon, LoadIconA(nullptr, MAKEINTRESOURCEA(c.icon)));
        EXPECT_EQ(seen.focus, seen.firstButton) << "the focus starts on the first button";
        EXPECT_EQ(seen.owner, static_cast<HWND>(ApplicationWindow()));
    }
}

TEST(Controls, InformationHasTheApplicationTitleAndNoIcon) {
    Seen seen;
    Driver driver({Look(seen), Key(VK_RETURN)});
    Inform("A&&B");
    driver.ExpectCompleted();
    EXPECT_EQ(seen.caption, ApplicationTitle());
    EXPECT_FALSE(seen.caption.empty());
    EXPECT_FALSE(seen.hasIcon);
    EXPECT_EQ(seen.label, "A&&B") << "the text is kept as passed; the control shows one &";
    EXPECT_EQ(seen.buttons, std::vector<String>{kOk});
}

TEST(Controls, FormsHaveAFixedDialogFrame) {
    Seen message, input;
    {
        Driver driver({Look(message), CloseBox()});
        AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0);
    }
    {
        Driver driver({Look(input), CloseBox()});
        PromptForText("ICQ履歴日本語化", "置き換えフォント名を入力", kDefault);
    }
    for (const Seen* s : {&message, &input}) {
        EXPECT_EQ(s->style & (WS_POPUP | WS_CAPTION | WS_SYSMENU),
                  LONG(WS_POPUP | WS_CAPTION | WS_SYSMENU));
        EXPECT_EQ(s->style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD), 0);
        EXPECT_TRUE(s->exStyle & WS_EX_DLGMODALFRAME);
        EXPECT_EQ(s->owner, static_cast<HWND>(ApplicationWindow()));
    }
    EXPECT_EQ(input.caption, "ICQ履歴日本語化");
    EXPECT_EQ(input.label, "置き換えフォント名を入力");
    EXPECT_EQ(input.buttons, (std::vector<String>{kOk, kCancel}));
    EXPECT_EQ(input.focusClass, "Edit") << "the focus starts in the field";
}

// ---- layout, computed here from the dialog's real font

struct Metrics {
    int ux, uy;
    int H(int n) const { return ::MulDiv(n, ux, 4); }
    int V(int n) const { return ::MulDiv(n, uy, 8); }
};

Metrics MetricsOf(HDC dc) {
    SIZE s;
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
    return {s.cx / 52, s.cy};
}

void ExpectRect(const RECT& r, int left, int top, int width, int height, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

// Checks every rectangle of a message dialog against the layout rules.
Step CheckMessageLayout(const String& text, bool icon, int* labelWidth = nullptr) {
    return [=](HWND d) {
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        HDC dc = GetDC(d);
        HGDIOBJ old = SelectObject(dc, font);
        const Metrics m = MetricsOf(dc);
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        RECT t{0, 0, screenWidth / 2, 0};
        DrawTextA(dc, text.c_str(), -1, &t, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        const auto buttons = ChildrenOf(d, "Button");
        int buttonWidth = m.H(50);
        for (HWND b : buttons) {
            RECT c{};
            DrawTextA(dc, TextOf(b).c_str(), -1, &c, DT_CALCRECT | DT_SINGLELINE);
            buttonWidth = std::max<int>(buttonWidth, c.right + 8);
        }
        SelectObject(dc, old);
        ReleaseDC(d, dc);

        const int blockWidth = t.right + (icon ? 32 + m.H(10) : 0);
        const int blockHeight = icon ? std::max<int>(t.bottom, 32) : t.bottom;
        const int n = static_cast<int>(buttons.size());
        const int rowWidth = n * buttonWidth + (n - 1) * m.H(4);
        const int clientWidth = std::max(blockWidth, rowWidth) + 2 * m.H(8);
        const int clientHeight = blockHeight + m.V(14) + m.V(10) + 2 * m.V(8);

        RECT client, outer;
        GetClientRect(d, &client);
        GetWindowRect(d, &outer);
        EXPECT_EQ(client.right, clientWidth);
        EXPECT_EQ(client.bottom, clientHeight);
        const int outerWidth = outer.right - outer.left, outerHeight = outer.bottom - outer.top;
        EXPECT_EQ(outer.left, screenWidth / 2 - outerWidth / 2);
        EXPECT_EQ(outer.top, screenHeight / 2 - outerHeight / 2);

        for (HWND s : ChildrenOf(d, "Static")) {
            if ((GetWindowLongA(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                ExpectRect(PlaceOf(s), m.H(8), m.V(8), 32, 32, "icon");
            } else {
                ExpectRect(PlaceOf(s), blockWidth - t.right + m.H(8), m.V(8), t.right, t.bottom,
                           "text");
                EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(s, WM_GETFONT, 0, 0)), font);
                if (labelWidth) *labelWidth = t.right;
            }
        }
        int left = (clientWidth - rowWidth) / 2;
        for (HWND b : buttons) {
            ExpectRect(PlaceOf(b), left, blockHeight + m.V(8) + m.V(10), buttonWidth, m.V(14),
                       TextOf(b).c_str());
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(b, WM_GETFONT, 0, 0)), font);
            left += buttonWidth + m.H(4);
        }
    };
}

// Win32 negates a negative divisor, and then the multiplicand, in 32 bits; for
// INT_MIN that overflows and its answers are off. Those inputs are left out.
bool Win32NegatesIntMin(int number, int denominator) {
    return denominator == INT_MIN || (denominator < 0 && number == INT_MIN);
}

TEST(Layout, PortableMulDivGivesTheAnswersOfWin32) {
    const int values[] = {0,     1,      -1,    2,           -2,      3,        4,      7,
                          -7,    8,      13,    52,          63,      72,       96,     -96,
                          12345, -12345, 65536, INT_MAX / 2, INT_MAX, -INT_MAX, INT_MIN};
    int compared = 0, mismatches = 0;
    for (int a : values)
        for (int b : values)
            for (int c : values) {
                if (Win32NegatesIntMin(a, c)) continue;
                ++compared;
                if (vorn::MulDiv(a, b, c) != ::MulDiv(a, b, c) && ++mismatches <= 10)
                    ADD_FAILURE() << "MulDiv(" << a << ", " << b << ", " << c << ") gives "
                                  << vorn::MulDiv(a, b, c) << ", Win32 " << ::MulDiv(a, b, c);
            }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(compared, 10000);
}

TEST(Layout, MessageDialogsFollowTheRulesForTheirFont) {
    const struct {
        const char* what;
        String text;
        DialogKind kind;
        DialogButtons buttons;
    } cases[] = {
        {"warning OK/Cancel", kMessage, DialogKind::Warning, ButtonsOkCancel},
        {"warning Yes/No", "バックアップファイルを更新しないでおきますか？", DialogKind::Warning,
         ButtonsYesNo},
        {"warning OK", "win.iniが見つかりません。手動で書き換えてください", DialogKind::Warning,
         ButtonsOk},
        {"information", "Korvelフォントで置き換えます", DialogKind::Custom, ButtonsOk},
        {"short text under the icon", "A", DialogKind::Warning, ButtonsOk},
        {"text with lines and tabs", "one\ttwo\r\nthree\nfour", DialogKind::Error, ButtonsOk},
        {"button row wider than the text", "A", DialogKind::Custom,
         ButtonSet(dbAll) | ButtonSet(dbNoToAll) | ButtonSet(dbYesToAll)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Driver driver({CheckMessageLayout(c.text, c.kind != DialogKind::Custom), CloseBox()});
        AskUser(c.text, c.kind, c.buttons, 0);
        driver.ExpectCompleted();
    }
}

TEST(Layout, LongTextWrapsAtHalfTheScreenAndAnUnbreakableWordWidens) {
    const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
    String words;
    while (words.size() < 600)
        words += "Message Archive ";
    int wrapped = 0, widened = 0;
    {
        Driver driver({CheckMessageLayout(words, true, &wrapped), CloseBox()});
        AskUser(words, DialogKind::Warning, ButtonsOk, 0);
        driver.ExpectCompleted();
    }
    EXPECT_LE(wrapped, half);
    EXPECT_GT(wrapped, half / 2);
    const String word(400, 'W');
    {
        Driver driver({CheckMessageLayout(word, true, &widened), CloseBox()});
        AskUser(word, DialogKind::Warning, ButtonsOk, 0);
        driver.ExpectCompleted();
    }
    EXPECT_GT(widened, half);
}

TEST(Layout, AskUserMovesOnlyTheEdgesItIsGiven) {
    RECT placed{}, centred{};
    const auto read = [](RECT& r) { return [&r](HWND d) { GetWindowRect(d, &r); }; };
    {
        Driver driver({read(centred), CloseBox()});
        AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0);
    }
    {
        Driver driver({read(placed), CloseBox()});
        AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0, 10, -1);
    }
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, centred.top);
    {
        Driver driver({read(placed), CloseBox()});
        AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0, -1, 0);
    }
    EXPECT_EQ(placed.left, centred.left);
    EXPECT_EQ(placed.top, 0);
}

TEST(Layout, InputBoxFollowsTheRulesForTheDefaultFont) {
    const String prompt = "置き換えフォント名を入力";
    Driver driver({[&](HWND d) {
                       HFONT font = reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0));
                       ASSERT_EQ(font, static_cast<HFONT>(DefaultFont()));
                       HDC dc = GetDC(d);
                       HGDIOBJ old = SelectObject(dc, font);
                       const Metrics m = MetricsOf(dc);
                       RECT p{};
                       DrawTextA(dc, prompt.c_str(), -1, &p, DT_CALCRECT | DT_SINGLELINE);
                       TEXTMETRICA tm;
                       GetTextMetricsA(dc, &tm);
                       SelectObject(dc, old);
                       ReleaseDC(d, dc);

                       RECT client, outer;
                       GetClientRect(d, &client);
                       GetWindowRect(d, &outer);
                       EXPECT_EQ(client.right, m.H(180));
                       EXPECT_EQ(client.bottom, m.V(63));
                       const int w = outer.right - outer.left, h = outer.bottom - outer.top;
                       EXPECT_EQ(outer.left, std::max(0, (GetSystemMetrics(SM_CXSCREEN) - w) / 2));
                       EXPECT_EQ(outer.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - h) / 2));

                       ExpectRect(PlaceOf(ChildrenOf(d, "Static").at(0)), m.H(8), m.V(8), p.right,
                                  p.bottom, "prompt");
                       ExpectRect(PlaceOf(ChildrenOf(d, "Edit").at(0)), m.H(8), m.V(19), m.H(164),
                                  tm.tmHeight + 8 * GetSystemMetrics(SM_CYBORDER), "edit");
                       const auto buttons = ChildrenOf(d, "Button");
                       ASSERT_EQ(buttons.size(), 2u);
                       ExpectRect(PlaceOf(buttons[0]), m.H(38), m.V(41), m.H(50), m.V(14), "OK");
                       ExpectRect(PlaceOf(buttons[1]), m.H(92), m.V(41), m.H(50), m.V(14),
                                  "Cancel");
                   },
                   Key(VK_ESCAPE)});
    PromptForText("ICQ履歴日本語化", prompt, kDefault);
    driver.ExpectCompleted();
}

TEST(Fonts, MessageDialogTakesTheMessageBoxFont) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = 340;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
    LOGFONTA seen{};
    Driver driver({[&](HWND d) {
                       GetObjectA(reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0)),
                                  sizeof seen, &seen);
                   },
                   CloseBox()});
    AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0);
    driver.ExpectCompleted();
    EXPECT_STREQ(seen.lfFaceName, metrics.lfMessageFont.lfFaceName);
    EXPECT_EQ(seen.lfHeight, metrics.lfMessageFont.lfHeight);
    EXPECT_EQ(seen.lfCharSet, metrics.lfMessageFont.lfCharSet);
}

TEST(Fonts, DefaultFontFollowsTheSystemFontsCharacterSet) {
    LOGFONTA system{}, font{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    ASSERT_NE(DefaultFont(), nullptr);
    GetObjectA(static_cast<HFONT>(DefaultFont()), sizeof font, &font);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const bool dbcs = GetSystemMetrics(SM_DBCSENABLED) != 0;
    if (dbcs && system.lfCharSet == SHIFTJIS_CHARSET) {
        EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
        EXPECT_EQ(font.lfHeight, -::MulDiv(9, dpi, 72));
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    } else if (dbcs && system.lfCharSet == CHINESEBIG5_CHARSET) {
        EXPECT_STREQ(font.lfFaceName, "Times New Roman");
        EXPECT_EQ(font.lfHeight, -::MulDiv(9, dpi, 72));
    } else {
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, -::MulDiv(8, dpi, 72));
        EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
    }
    // The bench is a Japanese system: this is the case that must hold there.
    EXPECT_TRUE(dbcs);
    EXPECT_EQ(system.lfCharSet, SHIFTJIS_CHARSET);
}

// ---- modality

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

HWND MakeTopLevel(const char* title) {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DialogsTestWindow";
        return RegisterClassA(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowExA(0, "DialogsTestWindow", title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(Modality, OtherWindowsAreDisabledWhileOpenAndActiveAgainAfter) {
    HWND active = MakeTopLevel("active"), alreadyDisabled = MakeTopLevel("disabled");
    ASSERT_TRUE(active && alreadyDisabled);
    ShowWindow(active, SW_SHOW);
    ShowWindow(alreadyDisabled, SW_SHOW);
    EnableWindow(alreadyDisabled, FALSE);
    SetActiveWindow(active);
    ASSERT_EQ(GetActiveWindow(), active);

    bool activeEnabled = true, appEnabled = true, dialogEnabled = false, dialogActive = false;
    Driver driver({[&](HWND d) {
                       activeEnabled = IsWindowEnabled(active);
                       appEnabled = IsWindowEnabled(static_cast<HWND>(ApplicationWindow()));
                       dialogEnabled = IsWindowEnabled(d);
                       dialogActive = GetActiveWindow() == d;
                   },
                   Key(VK_RETURN)});
    EXPECT_EQ(AskUser(kMessage, DialogKind::Warning, ButtonsOkCancel, 0), mrOk);
    driver.ExpectCompleted();
    EXPECT_FALSE(activeEnabled);
    EXPECT_FALSE(appEnabled) << "the hidden application window is a top-level window too";
    EXPECT_TRUE(dialogEnabled);
    EXPECT_TRUE(dialogActive);

    EXPECT_TRUE(IsWindowEnabled(active));
    EXPECT_TRUE(IsWindowEnabled(static_cast<HWND>(ApplicationWindow())));
    EXPECT_FALSE(IsWindowEnabled(alreadyDisabled)) << "a window disabled before stays so";
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_EQ(DialogWindowsLeft(), 0) << "the dialog is destroyed";
    DestroyWindow(active);
    DestroyWindow(alreadyDisabled);
}

TEST(Modality, QuitMessageIsUsedUp) {
    EXPECT_EQ(Ask(ButtonsYesNo, {Quit()}), mrCancel);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST(Modality, NoDialogOutlivesItsCall) {
    EXPECT_EQ(Ask(ButtonsOkCancel, {Key(VK_ESCAPE)}), mrCancel);
    EXPECT_EQ(Prompt({Key(VK_ESCAPE)}), kDefault);
    EXPECT_EQ(DialogWindowsLeft(), 0);
}

TEST(Modality, BuildMessageFormGivesAHiddenFormUntilShown) {
    DialogFormPtr form = BuildMessageForm(kMessage, DialogKind::Warning, ButtonsOkCancel);
    HWND hwnd = static_cast<HWND>(FormWindow(*form));
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(ButtonCaptions(hwnd), (std::vector<String>{kOk, kCancel}));
    {
        Driver driver({Key(VK_ESCAPE)});
        EXPECT_EQ(ShowModal(*form), mrCancel);
        driver.ExpectCompleted();
    }
    EXPECT_FALSE(IsWindowVisible(hwnd)) << "hidden again, not yet destroyed";
    EXPECT_TRUE(IsWindow(hwnd));
    form.reset();
    EXPECT_FALSE(IsWindow(hwnd));
}

// ---- failures

const char* g_refusedClass = nullptr;

LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (!IS_INTRESOURCE(create->lpszClass) && !lstrcmpiA(create->lpszClass, g_refusedClass))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs `call` while windows of `className` cannot be created.
template <class Call> void ExpectWin32Error(const char* className, Call call) {
    SCOPED_TRACE(className);
    g_refusedClass = className;
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    bool raised = false;
    try {
        call();
    } catch (const EWin32Error& e) {
        raised = true;
        const String& text = e.Message();
        const String coded = "Win32 ｴﾗｰ。ｺｰﾄﾞ: ";
        EXPECT_TRUE(text == "Win32 API 呼び出しに失敗しました" ||
                    (text.compare(0, coded.size(), coded) == 0 && text.find(".\n") != String::npos))
            << text;
        EXPECT_STREQ(e.ClassName(), "EWin32Error");
    }
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(raised);
    EXPECT_EQ(DialogWindowsLeft(), 0) << "the half-built dialog is destroyed";
    EXPECT_TRUE(IsWindowEnabled(static_cast<HWND>(ApplicationWindow())));
}

TEST(Failures, WindowThatCannotBeCreatedRaisesEWin32Error) {
    ExpectWin32Error("BUTTON", [] { AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0); });
    ExpectWin32Error("STATIC", [] { Inform(kMessage); });
    ExpectWin32Error("TMessageForm", [] { AskUser(kMessage, DialogKind::Warning, ButtonsOk, 0); });
    ExpectWin32Error("EDIT", [] { PromptForText("c", "p", "d"); });
    ExpectWin32Error("TForm", [] { PromptForText("c", "p", "d"); });
    // And the dialogs work again afterwards.
    EXPECT_EQ(Ask(ButtonsOk, {Key(VK_RETURN)}), mrOk);
}

String RaisedText() {
    try {
        RaiseLastWin32Error();
    } catch (const EWin32Error& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST(Failures, Win32ErrorTextNamesTheCode) {
    SetLastError(ERROR_ACCESS_DENIED);
    const String text = RaisedText();
    const String start = "Win32 ｴﾗｰ。ｺｰﾄﾞ: 5.\n";
    EXPECT_EQ(text.compare(0, start.size(), start), 0) << text;
    EXPECT_GT(text.size(), start.size()) << "the system's text follows";
    EXPECT_NE(text.back(), '\n') << "no line break of the system's text is kept";
    SetLastError(0);
    EXPECT_EQ(RaisedText(), "Win32 API 呼び出しに失敗しました");
}

} // namespace
} // namespace vorn

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    vorn::CreateApplication(nullptr);
    const int failed = RUN_ALL_TESTS();
    vorn::DestroyApplication();
    return failed;
}
