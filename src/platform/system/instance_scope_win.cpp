#include "platform/system/local_instance_channel.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <sddl.h>

#include <QDir>
#include <vector>

namespace ziq {

namespace {

// The SID of the user the process runs as, as text ("S-1-5-21-..."); empty when it cannot
// be read.
QString processUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    QString sid;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
        wchar_t* text = nullptr;
        if (ConvertSidToStringSidW(user->User.Sid, &text)) {
            sid = QString::fromWCharArray(text);
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

} // namespace

QString instanceScope() {
    QString user = processUserSid();
    if (user.isEmpty()) {
        // Hex keeps names apart that differ only in letters a file name cannot hold.
        user = QString::fromLatin1(QDir::home().dirName().toUtf8().toHex());
    }
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return windowsInstanceScope(user, session);
}

} // namespace ziq
