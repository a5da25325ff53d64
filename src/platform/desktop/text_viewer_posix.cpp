#include "platform/desktop/text_viewer.h"

#include "platform/desktop/desktop.h"

#include <QFileInfo>

namespace ziq {

// The desktop's handler may say nothing about a file that is missing, or not start at all.
TextFileOpening openTextFile(Desktop& desktop, const QString& path) {
    if (!QFileInfo::exists(path) || !desktop.openDocument(path)) {
        return TextFileOpening::FailedUntold;
    }
    return TextFileOpening::Handed;
}

} // namespace ziq
