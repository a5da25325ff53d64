#pragma once

#include <QString>

namespace ziq {

class Desktop;

enum class TextFileOpening {
    Handed,       // shown, or handed to a viewer that tells the user itself when it cannot
    FailedUntold, // not shown, and nothing has told the user
};

// Shows a text file in the system's plain text viewer: Notepad on Windows, elsewhere the
// desktop's default handler for text.
TextFileOpening openTextFile(Desktop& desktop, const QString& path);

} // namespace ziq
