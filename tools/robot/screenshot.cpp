// Screenshots of a dialog as a 24-bit BMP, read back from the screen so that
// the frame and caption the window system drew are in the picture.
#include "tools/robot/robot.h"
#include "tools/robot/text_codec.h"

#include "host/handles_win32.h"

namespace vorn::robot {
namespace {

// Time for the window to repaint after it was raised above other windows.
constexpr DWORD kRepaintMs = 300;

void WriteAll(HANDLE file, const void* data, DWORD size, const std::string& path) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr) || written != size)
        throw RobotError("cannot write " + Cp932ToUtf8(path));
}

} // namespace

void SaveScreenshot(HWND window, const std::string& bmpPath) {
    // Another program's window (the editor, say) may lie over the dialog.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Sleep(kRepaintMs);

    RECT rect{};
    if (!GetWindowRect(window, &rect)) throw RobotError("the window to capture is gone");
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) throw RobotError("the window to capture has no area");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files store rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ScopedWindowDc screen(nullptr);
    ScopedMemoryDc memory(CreateCompatibleDC(screen.Get()));
    void* bits = nullptr;
    ScopedBitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) throw RobotError("cannot make a bitmap for the screenshot");
    ScopedSelect selected(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top,
                SRCCOPY | CAPTUREBLT))
        throw RobotError("cannot copy the window from the screen");
    GdiFlush();

    DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;

    ScopedHandle file(CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw RobotError("cannot create " + Cp932ToUtf8(bmpPath) + ErrorSuffix(GetLastError()));
    WriteAll(file.Get(), &header, sizeof header, bmpPath);
    WriteAll(file.Get(), &info.bmiHeader, sizeof info.bmiHeader, bmpPath);
    WriteAll(file.Get(), bits, imageBytes, bmpPath);
}

} // namespace vorn::robot
