#pragma once

namespace ziq::history {

// Unicode simple case folding of one code point, so "É" and "é" compare alike.
char32_t foldCase(char32_t c);

} // namespace ziq::history
