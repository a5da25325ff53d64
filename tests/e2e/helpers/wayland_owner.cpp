// Owns the Wayland selection with several types at once, which wl-copy cannot offer, through
// the compositor's data control. Arguments: [--hang | --when-told] type value [type value...],
// or --size <bytes> for that many "z" as plain text. Prints "ready" once the selection is
// ours, then serves it until another program takes it. With --hang it stops itself instead,
// so a reader waits for an answer that never comes; with --when-told it prints "asked" when
// the first request comes and answers it once a line arrives on its standard input.

#include "platform/clipboard/wayland/data_control.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <string>
#include <string_view>

int main(int argc, char* argv[]) {
    using namespace std::chrono_literals;
    int first = 1;
    const bool hang = argc > 1 && std::string_view(argv[1]) == "--hang";
    const bool whenTold = argc > 1 && std::string_view(argv[1]) == "--when-told";
    if (hang || whenTold) {
        ++first;
    }
    ziq::DataControl::Contents contents;
    if (argc == 3 && std::string_view(argv[1]) == "--size") {
        contents = ziq::DataControl::plainText(std::string(std::stoul(argv[2]), 'z'));
        contents.resize(1);
    } else {
        for (int at = first; at + 1 < argc; at += 2) {
            contents.emplace_back(argv[at], ziq::DataControl::whole(argv[at + 1]));
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
    if (whenTold) {
        pollfd request{control->fd(), POLLIN, 0};
        ::poll(&request, 1, -1);
        std::puts("asked");
        std::fflush(stdout);
        char line[16];
        std::fgets(line, sizeof line, stdin);
    }
    while (control->ownsSelection() && control->dispatch(60s)) {
    }
    return 0;
}
