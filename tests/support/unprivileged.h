#pragma once

#ifndef _WIN32

#include <gtest/gtest.h>

#include <functional>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ziq::test {

// Runs `body` in a child process as an unprivileged user (root ignores permissions) and
// returns what it returned. As a normal user the body runs in a child all the same.
inline bool runUnprivileged(const std::function<bool()>& body, uid_t user = 65534,
                            gid_t group = 65534) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(group) != 0 || ::setuid(user) != 0)) {
            ::_exit(3);
        }
        ::_exit(body() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 3) << "could not drop privileges";
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

} // namespace ziq::test

#endif
