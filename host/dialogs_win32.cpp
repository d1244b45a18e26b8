// Implements host/dialogs.h and its test seams (dialogs_testing_win32.h) on
// Win32: windows built by code with standard child controls, laid out by
// dialog_layout.h, each shown by its own modal loop.
#include "host/dialogs_testing_win32.h"
#include "host/application.h"
#include "host/dialog_layout.h"
#include "host/handles_win32.h"
#include "host/resource_ids.h"
#include "host/system_facts.h"
#include "host/win32_error.h"

#include <windows.h>
#include <array>
#include <vector>

namespace vorn {

struct FormButton {
    HWND hwnd;
    TModalResult result;
    String caption;
};

class DialogForm {
  public:
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    ScopedFont ownedFont; // the message font made for this form, when it is not DefaultFont()
    TModalResult result = mrNone;
    std::int32_t helpContext = 0;
    std::vector<HWND> tabOrder; // the controls that take the focus, in creation order
    std::vector<FormButton> buttons;
    HWND defaultButton = nullptr;
    HWND cancelButton = nullptr;
    HWND edit = nullptr;
    HWND focus = nullptr; // where the focus goes back when the form is activated again
    TypedBytes typed{IsSystemLeadByte};

    ~DialogForm() {
        if (hwnd) DestroyWindow(hwnd);
    }
};

void DialogFormDeleter::operator()(DialogForm* form) const {
    delete form;
}

namespace {

constexpr char kMessageFormClass[] = "TMessageForm";
constexpr char kInputFormClass[] = "TForm";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME;
constexpr int kStaticId = -1;
constexpr int kEditId = 100;
// Buttons carry their result as control id, as IDOK and IDCANCEL do; Help has none.
constexpr int kHelpButtonId = 1000;
constexpr TModalResult kButtonResults[DialogButtonCount] = {
    mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
// IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION, by DialogKind.
constexpr WORD kStockIcons[] = {32515, 32513, 32516, 32514};
// The structure as it was before Vista added a padded border width.
constexpr UINT kNonClientMetricsSize = 340;
static_assert(sizeof(NONCLIENTMETRICSA) >= kNonClientMetricsSize);

ButtonWidthCache g_buttonWidths;

String LoadText(UINT id) {
    char text[1024] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

DialogForm* FormOf(HWND hwnd) {
    return reinterpret_cast<DialogForm*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

FormButton* ButtonOf(DialogForm& f, HWND hwnd) {
    for (FormButton& b : f.buttons)
        if (hwnd && b.hwnd == hwnd) return &b;
    return nullptr;
}

void Press(DialogForm& f, const FormButton& b) {
    // Help has no result: it keeps the dialog open, and there is no help to ask.
    if (b.result != mrNone) f.result = b.result;
}

// The default frame sits on the focused button, else on the default button.
void UpdateDefaultFrame(DialogForm& f) {
    const FormButton* focused = ButtonOf(f, GetFocus());
    HWND framed = focused ? focused->hwnd : f.defaultButton;
    for (const FormButton& b : f.buttons) {
        const LONG type = GetWindowLongA(b.hwnd, GWL_STYLE) & BS_TYPEMASK;
        const LONG wanted = b.hwnd == framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (type != wanted) SendMessageA(b.hwnd, BM_SETSTYLE, wanted, TRUE);
    }
}

void FocusControl(DialogForm& f, HWND control) {
    SetFocus(control);
    if (control == f.edit) SendMessageA(f.edit, EM_SETSEL, 0, -1);
    f.focus = control;
    UpdateDefaultFrame(f);
}

void MoveFocus(DialogForm& f, HWND from, bool forward) {
    const int count = static_cast<int>(f.tabOrder.size());
    if (count == 0) return;
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (f.tabOrder[i] == from) at = i;
    const int next = at < 0 ? (forward ? 0 : count - 1) : (at + (forward ? 1 : count - 1)) % count;
    FocusControl(f, f.tabOrder[next]);
}

void RestoreFocus(DialogForm& f) {
    HWND target = f.focus && IsWindow(f.focus) ? f.focus : nullptr;
    if (!target && !f.tabOrder.empty()) target = f.tabOrder.front();
    if (target) FocusControl(f, target);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    DialogForm* f = FormOf(hwnd);
    if (!f) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (FormButton* b = ButtonOf(*f, reinterpret_cast<HWND>(lParam))) {
                Press(*f, *b);
                return 0;
            }
        }
        break;
    case WM_CLOSE: // close box, Alt+F4 and the system menu's Close
        f->result = mrCancel;
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(f->font);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            RestoreFocus(*f);
            return 0;
        }
        if (HWND now = GetFocus(); now && IsChild(hwnd, now)) f->focus = now;
        break;
    case WM_SETFOCUS:
        RestoreFocus(*f);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void EnsureFormClass(const char* name) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (GetClassInfoA(instance, name, &existing)) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc)) RaiseLastWin32Error();
}

DialogFormPtr CreateForm(const char* className) {
    EnsureFormClass(className);
    DialogFormPtr form(new DialogForm);
    // A provisional size: the real window tells how thick its frame is.
    form->hwnd = CreateWindowExA(kFormExStyle, className, "", kFormStyle, 0, 0, 200, 200,
                                 static_cast<HWND>(ApplicationWindow()), nullptr,
                                 GetModuleHandleA(nullptr), form.get());
    if (!form->hwnd) RaiseLastWin32Error();
    return form;
}

FormSurroundings SurroundingsOf(HWND hwnd) {
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
            (window.right - window.left) - client.right,
            (window.bottom - window.top) - client.bottom};
}

HWND CreateControl(DialogForm& f, const char* className, const char* text, DWORD style,
                   const LayoutRect& r, int id, DWORD exStyle = 0) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, r.left,
                                   r.top, r.width, r.height, f.hwnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (!control) RaiseLastWin32Error();
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(f.font), FALSE);
    return control;
}

HWND AddButton(DialogForm& f, const String& caption, TModalResult result, bool isDefault,
               bool isCancel, const LayoutRect& r, int id) {
    HWND button = CreateControl(f, "BUTTON", caption.c_str(),
                                WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), r, id);
    f.buttons.push_back({button, result, caption});
    f.tabOrder.push_back(button);
    if (isDefault) f.defaultButton = button;
    if (isCancel) f.cancelButton = button;
    return button;
}

// A screen-compatible drawing surface of the form with the form's font.
class FormCanvas {
  public:
    explicit FormCanvas(const DialogForm& f)
        : dc_(f.hwnd), font_(dc_.Get(), f.font ? f.font : GetStockObject(SYSTEM_FONT)) {}
    HDC dc() const { return dc_.Get(); }

  private:
    ScopedWindowDc dc_;
    ScopedSelect font_;
};

void PlaceForm(HWND hwnd, const FormPlacement& p) {
    SetWindowPos(hwnd, nullptr, p.left, p.top, p.outerWidth, p.outerHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool NoModifiers() {
    return GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

bool PressAccessKey(DialogForm& f, char typed) {
    for (const FormButton& b : f.buttons) {
        if (IsAccessKey(b.caption, typed, IsSystemLeadByte)) {
            Press(f, b);
            return true;
        }
    }
    return false;
}

// The dialog keys, looked at before translation so that they work for key
// messages posted to the focused control as well as for real typing. A key
// acts on the control it was addressed to, which had the focus when the key
// was struck even if the form has lost it since.
bool HandleDialogKey(DialogForm& f, const MSG& m) {
    if (m.hwnd != f.hwnd && !IsChild(f.hwnd, m.hwnd)) return false;
    FormButton* onButton = ButtonOf(f, m.hwnd);
    switch (m.message) {
    case WM_SYSKEYDOWN:
        f.typed.KeyStruck();
        return false;
    case WM_KEYDOWN:
        f.typed.KeyStruck();
        switch (m.wParam) {
        case VK_RETURN:
            if (!NoModifiers()) return false;
            if (FormButton* target = onButton ? onButton : ButtonOf(f, f.defaultButton))
                Press(f, *target);
            return true;
        case VK_ESCAPE:
            if (!NoModifiers()) return false;
            if (FormButton* target = ButtonOf(f, f.cancelButton)) Press(f, *target);
            return true;
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
            MoveFocus(f, m.hwnd, GetKeyState(VK_SHIFT) >= 0);
            return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (!onButton) return false;
            MoveFocus(f, m.hwnd, m.wParam == VK_RIGHT || m.wParam == VK_DOWN);
            return true;
        }
        return false;
    case WM_CHAR: // the edit field takes plain characters itself
        // Both bytes of a double-byte character go on to the control as they came.
        if (!f.typed.TakeSingle(static_cast<char>(m.wParam))) return false;
        return onButton && PressAccessKey(f, static_cast<char>(m.wParam));
    case WM_SYSCHAR:
        if (!f.typed.TakeSingle(static_cast<char>(m.wParam))) return false;
        return PressAccessKey(f, static_cast<char>(m.wParam));
    }
    return false;
}

// Focus that moved by a click or by the controls themselves: the default frame
// follows, and the edit field selects its text unless a click placed the caret.
void NoteFocusChange(DialogForm& f, const MSG& m) {
    HWND now = GetFocus();
    if (now == f.focus || !now || !IsChild(f.hwnd, now)) return;
    if (now == f.edit && !(m.message == WM_LBUTTONDOWN && m.hwnd == f.edit))
        SendMessageA(f.edit, EM_SETSEL, 0, -1);
    f.focus = now;
    UpdateDefaultFrame(f);
}

struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND hwnd, LPARAM param) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(param);
    if (hwnd != disabled->except && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        disabled->windows.push_back(hwnd);
    }
    return TRUE;
}

String EditText(HWND edit) {
    String text(GetWindowTextLengthA(edit) + 1, '\0');
    text.resize(GetWindowTextA(edit, text.data(), static_cast<int>(text.size())));
    return text;
}

// The dialog base units of the font selected into `dc`.
DialogUnits MeasureDialogUnits(HDC dc) {
    SIZE extent{};
    GetTextExtentPointA(dc, kDialogUnitsSample, 52, &extent);
    return DialogUnitsFromExtent(extent.cx, extent.cy);
}

} // namespace

HWND FormWindow(const DialogForm& form) {
    return form.hwnd;
}

TModalResult ShowModal(DialogForm& f) {
    ReleaseCapture();
    HWND previous = GetActiveWindow();
    DisabledWindows disabled{f.hwnd, {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));

    f.result = mrNone;
    ShowWindow(f.hwnd, SW_SHOW);
    SetActiveWindow(f.hwnd);
    if (!IsChild(f.hwnd, GetFocus())) RestoreFocus(f);
    while (f.result == mrNone) {
        MSG m;
        if (GetMessageA(&m, nullptr, 0, 0) <= 0) {
            // A quit request ends the dialog and is used up by it.
            f.result = mrCancel;
            break;
        }
        if (HandleDialogKey(f, m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
        if (!IsWindow(f.hwnd))
            f.result = mrCancel;
        else
            NoteFocusChange(f, m);
    }

    for (HWND hwnd : disabled.windows)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    if (previous && previous != f.hwnd && IsWindow(previous)) SetActiveWindow(previous);
    if (IsWindow(f.hwnd)) ShowWindow(f.hwnd, SW_HIDE);
    return f.result;
}

DialogFormPtr BuildMessageForm(const String& message, DialogKind kind, DialogButtons buttons) {
    DialogFormPtr form = CreateForm(kMessageFormClass);
    DialogForm& f = *form;
    f.font = static_cast<HFONT>(DefaultFont());
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        if (HFONT font = CreateFontIndirectA(&metrics.lfMessageFont)) {
            f.font = font;
            f.ownedFont.Reset(font);
        }
    }

    std::array<String, DialogButtonCount> captions;
    for (int b = 0; b < DialogButtonCount; ++b)
        if (buttons & ButtonSet(DialogButton(b)))
            captions[b] = LoadText(IDS_BUTTON_CAPTION_FIRST + b);

    MessageFormInput in;
    static_cast<FormSurroundings&>(in) = SurroundingsOf(f.hwnd);
    in.buttons = buttons;
    in.hasIcon = KindHasIcon(kind);
    MessageFormLayout layout;
    {
        FormCanvas canvas(f);
        in.units = MeasureDialogUnits(canvas.dc());
        RECT text{0, 0, MessageWrapWidth(in.screenWidth), 0};
        DrawTextA(canvas.dc(), message.data(), static_cast<int>(message.size()), &text,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        in.textWidth = text.right;
        in.textHeight = text.bottom;
        const auto measureCaption = [&](DialogButton b) {
            RECT r{};
            DrawTextA(canvas.dc(), captions[b].c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
            return static_cast<int>(r.right);
        };
        layout = LayoutMessageForm(in, g_buttonWidths, measureCaption);
    }
    PlaceForm(f.hwnd, layout);
    const String caption = kind == DialogKind::Custom
                               ? ApplicationTitle()
                               : LoadText(IDS_KIND_CAPTION_FIRST + static_cast<int>(kind));
    SetWindowTextA(f.hwnd, caption.c_str());

    if (in.hasIcon) {
        HWND image = CreateControl(f, "STATIC", nullptr, SS_ICON, layout.icon, kStaticId);
        HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(kStockIcons[static_cast<int>(kind)]));
        SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        // Setting the icon sizes the control to the icon; the layout wants 32 x 32.
        SetWindowPos(image, nullptr, layout.icon.left, layout.icon.top, kIconSize, kIconSize,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateControl(f, "STATIC", message.c_str(), SS_LEFT, layout.text, kStaticId);
    for (const PlacedButton& p : layout.buttons) {
        const int id = p.kind == dbHelp ? kHelpButtonId : kButtonResults[p.kind];
        AddButton(f, captions[p.kind], kButtonResults[p.kind], p.isDefault, p.isCancel, p.rect, id);
    }
    return form;
}

TModalResult AskUser(const String& message, DialogKind kind, DialogButtons buttons,
                     std::int32_t helpContext, int left, int top) {
    DialogFormPtr form = BuildMessageForm(message, kind, buttons);
    form->helpContext = helpContext;
    if (left >= 0 || top >= 0) {
        RECT r;
        GetWindowRect(form->hwnd, &r);
        SetWindowPos(form->hwnd, nullptr, left >= 0 ? left : r.left, top >= 0 ? top : r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return ShowModal(*form);
}

void Inform(const String& message) {
    AskUser(message, DialogKind::Custom, kButtonsOk, 0);
}

bool QueryText(const String& caption, const String& prompt, String& value) {
    DialogFormPtr form = CreateForm(kInputFormClass);
    DialogForm& f = *form;
    f.font = static_cast<HFONT>(DefaultFont());

    InputBoxInput in;
    static_cast<FormSurroundings&>(in) = SurroundingsOf(f.hwnd);
    {
        FormCanvas canvas(f);
        in.units = MeasureDialogUnits(canvas.dc());
        RECT r{};
        DrawTextA(canvas.dc(), prompt.data(), static_cast<int>(prompt.size()), &r,
                  DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        in.promptWidth = r.right;
        in.promptHeight = r.bottom;
        TEXTMETRICA metrics{};
        GetTextMetricsA(canvas.dc(), &metrics);
        in.editHeight = EditHeight(metrics.tmHeight, GetSystemMetrics(SM_CYBORDER));
    }
    const InputBoxLayout layout = LayoutInputBox(in);
    PlaceForm(f.hwnd, layout);
    SetWindowTextA(f.hwnd, caption.c_str());

    CreateControl(f, "STATIC", prompt.c_str(), SS_LEFTNOWORDWRAP, layout.prompt, kStaticId);
    f.edit = CreateControl(f, "EDIT", value.c_str(), WS_TABSTOP | ES_AUTOHSCROLL, layout.edit,
                           kEditId, WS_EX_CLIENTEDGE);
    // The limit stops further typing only: a longer default stays whole.
    SendMessageA(f.edit, EM_LIMITTEXT, 255, 0);
    SendMessageA(f.edit, EM_SETSEL, 0, -1);
    f.tabOrder.push_back(f.edit);
    AddButton(f, LoadText(IDS_BUTTON_CAPTION_FIRST + dbOK), mrOk, true, false, layout.ok, IDOK);
    AddButton(f, LoadText(IDS_BUTTON_CAPTION_FIRST + dbCancel), mrCancel, false, true,
              layout.cancel, IDCANCEL);

    if (ShowModal(f) != mrOk) return false;
    value = EditText(f.edit);
    return true;
}

String PromptForText(const String& caption, const String& prompt, const String& defaultText) {
    String result = defaultText;
    QueryText(caption, prompt, result);
    return result;
}

} // namespace vorn
