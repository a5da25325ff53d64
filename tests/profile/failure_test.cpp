#include <gtest/gtest.h>

#include "profile_test_util.h"

namespace ziq::profile::test {
namespace {

using Failures = ProfileTest;

TEST_F(Failures, MissingFolderFailsAndCreatesNothing) {
    EXPECT_FALSE(writeString("s", "k", "v", folder_ / "missing" / "test.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
    EXPECT_EQ(entriesIn(folder_), 0U);
}

TEST_F(Failures, AFolderInTheFilesPlaceFails) {
    std::filesystem::create_directory(file());
    EXPECT_FALSE(write("s", "k", "v"));
    EXPECT_EQ(read("s", "k", "dflt"), "dflt");
}

#ifndef _WIN32
constexpr uid_t kNobody = 65534;

TEST_F(Failures, ReadOnlyFileFailsEveryKindOfWrite) {
    const std::string original = "[s]\nk=v\n";
    setContent(original);
    const std::filesystem::path path = file();
    if (::geteuid() == 0) {
        // The folder is the writer's own: only the file's mode may stop the write.
        ASSERT_EQ(::chown(folder_.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const bool anyWritten = runUnprivileged([path] {
        if (::access(path.c_str(), W_OK) == 0) {
            return true; // nothing would stop a write: count that as a failed test
        }
        return writeString("s", "k", "changed", path) || writeString("s", "n", "new", path) ||
               writeString("t", "k", "v", path);
    });
    EXPECT_FALSE(anyWritten);
    EXPECT_EQ(content(), original);
    EXPECT_EQ(entriesIn(folder_), 1U);
}

TEST_F(Failures, ReadOnlyFolderFailsEveryKindOfWrite) {
    const std::string original = "[s]\nk=v\n";
    setContent(original);
    const std::filesystem::path path = file();
    const std::filesystem::path fresh = file("fresh.ini");
    if (::geteuid() == 0) {
        // The file is the writer's own and writable: only the folder may stop the write.
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(folder_.c_str(), 0555), 0);
    const bool anyWritten = runUnprivileged([&] {
        if (::access(path.c_str(), W_OK) != 0 || ::access(folder_.c_str(), W_OK) == 0) {
            return true;
        }
        return writeString("s", "k", "changed", path) || writeString("s", "n", "new", path) ||
               writeString("t", "k", "v", path) || writeString("s", "k", "v", fresh);
    });
    EXPECT_FALSE(anyWritten);
    EXPECT_EQ(content(), original);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST_F(Failures, UnreadableFileReadsAsDefault) {
    setContent("[s]\nk=secret\n");
    ASSERT_EQ(::chmod(file().c_str(), 0), 0);
    const std::filesystem::path path = file();
    EXPECT_TRUE(runUnprivileged([path] {
        return ::access(path.c_str(), R_OK) != 0 &&
               readString("s", "k", "dflt", 64, path) == "dflt";
    }));
}
#endif

#ifdef _WIN32
// Antivirus, the search indexer and sync tools open files for a moment without sharing them.
TEST_F(Failures, AReplacementWaitsForAnotherProgramsHandle) {
    for (const int releasedAt : {2, 0}) {
        setContent("[a]\r\nx=1\r\n[b]\r\n");
        // Reading and writing shared, deleting not: the rewrite's replacement is refused.
        HANDLE held = CreateFileW(file().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        int pauses = 0;
        testing::setRetryPause([&] {
            if (++pauses == releasedAt) {
                CloseHandle(held);
                held = INVALID_HANDLE_VALUE;
            }
        });
        const bool written = write("a", "y", "2");
        testing::setRetryPause({});
        if (held != INVALID_HANDLE_VALUE) {
            CloseHandle(held);
        }
        SCOPED_TRACE(releasedAt);
        EXPECT_EQ(written, releasedAt != 0);
        EXPECT_EQ(pauses, releasedAt != 0 ? releasedAt : 20);
        EXPECT_EQ(content(), written ? "[a]\r\nx=1\r\ny=2\r\n[b]\r\n" : "[a]\r\nx=1\r\n[b]\r\n");
        // WORKAROUND: Wine's ReplaceFileW leaves the rf*.tmp file it made whenever it fails.
        std::size_t ours = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            const std::wstring name = entry.path().filename().wstring();
            ours += name.starts_with(L"rf") && name.ends_with(L".tmp") ? 0 : 1;
        }
        EXPECT_EQ(ours, 1U);
    }
}

struct AclFacts {
    bool isProtected = false; // its own, nothing inherited from the folder
    bool userAllowed = false;
    bool othersAllowed = false; // anyone but the user, SYSTEM and the Administrators
};

AclFacts aclOf(const std::filesystem::path& path) {
    AclFacts facts;
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return facts;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    facts.isProtected = (control & SE_DACL_PROTECTED) != 0;
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<BYTE> user(256);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, user.data(), DWORD(user.size()), &size);
    CloseHandle(token);
    const PSID userSid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) ||
            ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        const PSID sid = &ace->SidStart;
        if (EqualSid(sid, userSid)) {
            facts.userAllowed = true;
        } else if (!IsWellKnownSid(sid, WinLocalSystemSid) &&
                   !IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) {
            facts.othersAllowed = true;
        }
    }
    LocalFree(descriptor);
    return facts;
}

// Wine keeps no ACL of a file's own: it shows the Unix mode it made of it.
bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST_F(Failures, NewPrivateFilesGetAnAclOfTheirOwn) {
    ASSERT_TRUE(writeString("s", "k", "v", file("log.txt"), NewFileAccess::OwnerOnly));
    ASSERT_TRUE(writeString("s", "k", "v", file("ziq2.ini"), NewFileAccess::NotChangedByOthers));
    ASSERT_TRUE(writeString("s", "k", "v", file("other.ini")));
    for (const char* name : {"log.txt", "ziq2.ini"}) {
        SCOPED_TRACE(name);
        const AclFacts facts = aclOf(file(name));
        EXPECT_TRUE(facts.userAllowed);
        EXPECT_FALSE(facts.othersAllowed);
        EXPECT_TRUE(facts.isProtected || underWine());
    }
    if (underWine()) {
        EXPECT_TRUE(aclOf(file("other.ini")).othersAllowed); // the folder's rights, for contrast
    }
    // A rewrite keeps the file's attributes.
    ASSERT_TRUE(SetFileAttributesW(file("other.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_NE(GetFileAttributesW(file("other.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0U);
    ASSERT_TRUE(writeString("a", "k", "v", file("other.ini")));
    ASSERT_TRUE(writeString("s", "k", "changed", file("other.ini")));
    EXPECT_EQ(content("other.ini"), "[s]\r\nk=changed\r\n[a]\r\nk=v\r\n");
    EXPECT_NE(GetFileAttributesW(file("other.ini").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0U);
}
#endif

struct Scenario {
    const char* name;
    bool exists;
    std::string before;
    std::string section, key, value;
    std::string after;
    bool appends;
};

const Scenario kScenarios[] = {
    {"new file", false, "", "s", "k", "v", native("[s]\nk=v\n"), false},
    {"new section", true, "[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n[b]\nk=v\n", true},
    {"new key at end", true, "[a]\nx=1\n", "a", "y", "2", "[a]\nx=1\ny=2\n", true},
    {"new key inside", true, "[a]\nx=1\n[b]\nz=3\n", "a", "y", "2", "[a]\nx=1\ny=2\n[b]\nz=3\n",
     false},
    {"value replaced", true, "[a]\nx=1\n[b]\nz=3\n", "a", "x", "9", "[a]\nx=9\n[b]\nz=3\n", false},
};

class InterruptedWrites : public ProfileTest {
protected:
    // Puts the scenario's starting file in place; with `warm`, its index is cached first.
    void prepare(const Scenario& scenario, bool warm) {
        testing::injectIoFailure(0);
        testing::clearIndexCache();
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            std::filesystem::remove(entry.path());
        }
        testing::setIndexThreshold(warm ? 0 : std::uint64_t{1} << 40);
        if (!scenario.exists) {
            return;
        }
        setContent(scenario.before);
        if (warm && testing::changeWatchingAvailable()) {
            read("warm", "up");
            testing::resetIoCounters();
            read("no such section", "k");
            ASSERT_EQ(testing::ioCounters().bytesRead, 0U) << "index not cached";
        }
    }

    std::string currentContent(const Scenario& scenario) const {
        return std::filesystem::exists(file()) || scenario.exists ? content() : std::string();
    }
};

TEST_F(InterruptedWrites, AFailingCallLeavesTheFileAsItWas) {
    for (const Scenario& scenario : kScenarios) {
        for (const bool warm : {false, true}) {
            SCOPED_TRACE(std::string(scenario.name) + (warm ? ", index cached" : ""));
            int failures = 0;
            for (std::uint64_t n = 1;; ++n) {
                ASSERT_LT(n, 200U);
                prepare(scenario, warm);
                testing::injectIoFailure(n, testing::FailureMode::OneCall);
                const bool ok = write(scenario.section, scenario.key, scenario.value);
                const bool fired = testing::injectedFailureHappened();
                testing::injectIoFailure(0);
                if (!fired) {
                    EXPECT_TRUE(ok);
                    EXPECT_EQ(content(), scenario.after);
                    break;
                }
                ++failures;
                // Failures after the new content is in place may be shrugged off.
                const std::string now = ok ? scenario.after : scenario.before;
                EXPECT_EQ(currentContent(scenario), now) << "call " << n;
                EXPECT_EQ(std::filesystem::exists(file()), ok || scenario.exists);
                EXPECT_EQ(entriesIn(folder_), std::filesystem::exists(file()) ? 1U : 0U)
                    << "temporary file left after call " << n;
                // Nothing in the process remembers a state the file is not in.
                EXPECT_EQ(read(scenario.section, scenario.key, "none"),
                          ok || scenario.name == std::string("value replaced")
                              ? (ok ? scenario.value : "1")
                              : "none");
            }
            EXPECT_GT(failures, 3);
        }
    }
}

TEST_F(InterruptedWrites, ACrashAtAnyPointLeavesOldOrNewContent) {
    for (const Scenario& scenario : kScenarios) {
        for (const bool warm : {false, true}) {
            SCOPED_TRACE(std::string(scenario.name) + (warm ? ", index cached" : ""));
            for (std::uint64_t n = 1;; ++n) {
                ASSERT_LT(n, 200U);
                prepare(scenario, warm);
                // From call n on, nothing reaches the disk: the process died there.
                testing::injectIoFailure(n, testing::FailureMode::ThisCallAndAllLater);
                write(scenario.section, scenario.key, scenario.value);
                const bool fired = testing::injectedFailureHappened();
                testing::injectIoFailure(0);
                const std::string now = currentContent(scenario);
                if (scenario.appends) {
                    // At worst an incomplete last entry.
                    EXPECT_TRUE(now.starts_with(scenario.before) && scenario.after.starts_with(now))
                        << "call " << n << ": " << now;
                } else {
                    EXPECT_TRUE(now == scenario.before || now == scenario.after)
                        << "call " << n << ": " << now;
                }
                // The next write, in this process, starts from what is really there.
                ASSERT_TRUE(write("later", "k", "v"));
                EXPECT_TRUE(content().starts_with(now));
                if (!fired) {
                    EXPECT_EQ(now, scenario.after);
                    break;
                }
            }
        }
    }
}

} // namespace
} // namespace ziq::profile::test
