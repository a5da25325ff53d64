#pragma once

#include <QByteArray>
#include <QStringList>

namespace ziq {

// Starts ziq2-clipboard-keeper from the program's folder and hands it `text` (through a pipe,
// never a file: it may be private). True once the keeper serves it; it then runs on alone.
bool handTextToKeeper(const QByteArray& text, const QStringList& arguments = {});

} // namespace ziq
