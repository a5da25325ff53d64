#include "platform/desktop/text_viewer.h"

#include "platform/desktop/desktop.h"

namespace ziq {

// Notepad itself tells the user about a file it cannot open.
TextFileOpening openTextFile(Desktop& desktop, const QString& path) {
    desktop.startProgram(QStringLiteral("notepad"), {path});
    return TextFileOpening::Handed;
}

} // namespace ziq
