// A Windows program that holds a file open without sharing it, as antivirus, the search
// indexer or a sync tool does for a moment, for the end-to-end run under Wine.
// usage: ziq2-test-file-holder PATH MILLISECONDS
// Prints "held" once the file is open, waits for a line on its input, holds the file that
// many milliseconds longer, then prints "released" and ends.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ziq2-test-file-holder PATH MILLISECONDS\n");
        return 2;
    }
    const HANDLE held =
        CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the file: error %lu\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char line[16];
    std::fgets(line, sizeof line, stdin);
    Sleep(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    CloseHandle(held);
    std::printf("released\n");
    std::fflush(stdout);
    return 0;
}
