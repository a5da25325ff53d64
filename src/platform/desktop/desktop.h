#pragma once

#include <QString>
#include <QStringList>

namespace ziq {

// Beep, starting programs and opening documents: the parts of the desktop a test stands in for.
class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void beep() = 0;
    // Starts a program without waiting; arguments go to it as they are, never through a shell.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Opens a file or an address with the desktop's default handler.
    virtual bool openDocument(const QString& pathOrUrl) = 0;
};

class QtDesktop final : public Desktop {
public:
    void beep() override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool openDocument(const QString& pathOrUrl) override;
};

} // namespace ziq
