#pragma once

namespace ziq {

// Where the system keeps a clipboard's content apart from its owner (Windows), hands it all
// our content now, so that it outlives this program. False where there is no such thing.
bool flushClipboardForOthers();

} // namespace ziq
