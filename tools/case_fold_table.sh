#!/usr/bin/env bash
# Prints the folding table of src/history/case_fold.cpp: every code point above ASCII that
# Unicode simple case folding changes, as Qt's QChar::toCaseFolded folds it.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/gen.cpp" <<'CPP'
#include <QChar>
#include <cstdio>
int main() {
    int n = 0;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        const char32_t f = QChar::toCaseFolded(c);
        if (f != c) {
            std::printf("{0x%X,0x%X},%s", unsigned(c), unsigned(f), ++n % 6 == 0 ? "\n" : "");
        }
    }
    std::printf("\n");
}
CPP
g++ -std=c++20 -fPIC "$work/gen.cpp" $(pkg-config --cflags --libs Qt6Core) -o "$work/gen"
"$work/gen"
