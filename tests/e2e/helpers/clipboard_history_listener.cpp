// A Windows program that behaves as Windows' clipboard history service does, for the end to
// end run under Wine: at every clipboard change it opens the clipboard, reads the text and
// holds the clipboard open a while longer.
// usage: ziq2-test-clipboard-history HOLD_MS
// It prints "listening" once it hears of changes, then one line "changed: TEXT" per change
// (TEXT empty where there was none), and ends after five minutes at the latest.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

DWORD holdFor = 100;

void say(const std::string& what) {
    std::printf("%s\n", what.c_str());
    std::fflush(stdout);
}

std::string textNow() {
    HANDLE memory = GetClipboardData(CF_TEXT);
    const char* text = memory != nullptr ? static_cast<const char*>(GlobalLock(memory)) : nullptr;
    if (text == nullptr) {
        return {};
    }
    std::string copy = text;
    GlobalUnlock(memory);
    return copy;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLIPBOARDUPDATE:
        if (OpenClipboard(window)) {
            say("changed: " + textNow());
            Sleep(holdFor);
            CloseClipboard();
        }
        return 0;
    case WM_TIMER:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ziq2-test-clipboard-history HOLD_MS\n");
        return 2;
    }
    holdFor = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZiqClipboardHistory";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr || !AddClipboardFormatListener(window)) {
        std::fprintf(stderr, "ziq2-test-clipboard-history: cannot listen\n");
        return 1;
    }
    say("listening");
    SetTimer(window, 1, 300000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
