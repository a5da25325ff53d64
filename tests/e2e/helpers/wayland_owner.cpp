// Owns the Wayland selection with several types at once, which wl-copy cannot offer, through
// the compositor's data control. Arguments: [--hang] type value [type value...], or
// --size <bytes> for that many "z" as plain text. Prints "ready" once the selection is ours,
// then serves it until another program takes it. With --hang it stops itself instead, so a
// reader waits for an answer that never comes.

#include "platform/clipboard/wayland/data_control.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

int main(int argc, char* argv[]) {
    using namespace std::chrono_literals;
    int first = 1;
    const bool hang = argc > 1 && std::string_view(argv[1]) == "--hang";
    if (hang) {
        ++first;
    }
    ziq::DataControl::Contents contents;
    if (argc == 3 && std::string_view(argv[1]) == "--size") {
        contents.emplace_back("text/plain;charset=utf-8", std::string(std::stoul(argv[2]), 'z'));
    } else {
        for (int at = first; at + 1 < argc; at += 2) {
            contents.emplace_back(argv[at], argv[at + 1]);
        }
    }
    const auto control = ziq::DataControl::connect(5s);
    if (control == nullptr) {
        std::fputs("wayland_owner: no data control\n", stderr);
        return 2;
    }
    control->setSelection(std::move(contents));
    if (!control->roundtrip(5s) || !control->ownsSelection()) {
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    if (hang) {
        std::raise(SIGSTOP);
    }
    while (control->ownsSelection() && control->dispatch(60s)) {
    }
    return 0;
}
