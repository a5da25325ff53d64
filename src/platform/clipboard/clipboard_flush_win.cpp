#include "platform/clipboard/clipboard_flush.h"

#include <ole2.h>

namespace ziq {

// Qt puts its content on the clipboard through OLE, rendered only when another program asks.
// At exit Qt drops that content before OLE's own shutdown would render it, so whatever no
// other program had asked for yet went with us. Rendering it all now leaves it behind.
bool flushClipboardForOthers() {
    return SUCCEEDED(OleFlushClipboard());
}

} // namespace ziq
