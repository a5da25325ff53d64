// A Windows program that puts text on the clipboard marked the way password managers mark
// it, for the end-to-end run under Wine.
// usage: ziq2-test-secret-owner exclude|history0 TEXT [HOLD_MS]
//   exclude:  "ExcludeClipboardContentFromMonitorProcessing" is on the clipboard
//   history0: "CanIncludeInClipboardHistory" holds the DWORD 0
//   HOLD_MS:  once set, the clipboard is held open that long ("held", then "released"), as
//             a busy clipboard listener holds it
// The text and "CanIncludeInClipboardHistory" are rendered only when asked for, so the
// program can tell who looked: it prints "ready" once the clipboard is set, "examined" when
// the history flag is read, "text read" when the text is, and "lost" when another program
// empties the clipboard, then ends. It ends after two minutes at the latest.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

UINT historyFormat = 0;
DWORD historyFlag = 1;
std::wstring text;

void say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

HGLOBAL globalOf(const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory != nullptr) {
        std::memcpy(GlobalLock(memory), bytes, size);
        GlobalUnlock(memory);
    }
    return memory;
}

void render(UINT format) {
    if (format == historyFormat) {
        say("examined");
        SetClipboardData(format, globalOf(&historyFlag, sizeof historyFlag));
    } else if (format == CF_UNICODETEXT) {
        say("text read");
        SetClipboardData(format, globalOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RENDERFORMAT:
        render(static_cast<UINT>(wParam));
        return 0;
    case WM_RENDERALLFORMATS:
        return 0; // what nobody asked for goes with us
    case WM_DESTROYCLIPBOARD:
        say("lost");
        PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        PostQuitMessage(1);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc == 3 || argc == 4 ? argv[1] : L"";
    if (mode != L"exclude" && mode != L"history0") {
        std::fprintf(stderr, "usage: ziq2-test-secret-owner exclude|history0 TEXT [HOLD_MS]\n");
        return 2;
    }
    text = argv[2];
    historyFlag = mode == L"history0" ? 0 : 1;

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZiqSecretOwner";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, windowClass.hInstance, nullptr);
    historyFormat = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    if (window == nullptr || historyFormat == 0 || !OpenClipboard(window)) {
        std::fprintf(stderr, "ziq2-test-secret-owner: cannot take the clipboard\n");
        return 1;
    }
    EmptyClipboard();
    // The flag comes first, so a reader that reads it has looked at this content.
    SetClipboardData(historyFormat, nullptr);
    if (mode == L"exclude") {
        const DWORD marker = 0;
        SetClipboardData(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"),
                         globalOf(&marker, sizeof marker));
    }
    SetClipboardData(CF_UNICODETEXT, nullptr);
    CloseClipboard();
    say("ready");
    if (argc == 4 && OpenClipboard(window)) {
        say("held");
        Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
        CloseClipboard();
        say("released");
    }

    SetTimer(window, 1, 120000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
