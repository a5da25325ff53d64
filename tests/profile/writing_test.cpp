#include <gtest/gtest.h>

#include "profile_test_util.h"

namespace ziq::profile::test {
namespace {

using namespace std::string_literals;
using Writing = ProfileTest;

TEST_F(Writing, NewFileHoldsExactlySectionAndEntry) {
    ASSERT_TRUE(write("ZIQ", "ON", "1"));
#ifdef _WIN32
    EXPECT_EQ(content(), "[ZIQ]\r\nON=1\r\n");
#else
    EXPECT_EQ(content(), "[ZIQ]\nON=1\n");
#endif
    EXPECT_EQ(entriesIn(folder_), 1U); // no temporary file left behind
}

TEST_F(Writing, NewSectionIsAppendedWithoutBlankLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"[a]\nx=1\n", "[a]\nx=1\n[b]\nk=v\n"},
        {"[a]\nx=1", "[a]\nx=1\n[b]\nk=v\n"},
        {"[a]\nx=1\n\n", "[a]\nx=1\n\n[b]\nk=v\n"},
        {"", native("[b]\nk=v\n")},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF" + native("[b]\nk=v\n")},
        {"; only a comment", native("; only a comment\n[b]\nk=v\n")},
    };
    for (const auto& [before, after] : cases) {
        setContent(before);
        ASSERT_TRUE(write("b", "k", "v"));
        EXPECT_EQ(content(), after) << "from: " << before;
    }
}

TEST_F(Writing, NewKeyGoesAfterTheSectionsLastEntryLine) {
    setContent("[a]\nx=1\n; trailing comment\n\n[b]\ny=2\n");
    ASSERT_TRUE(write("A", "z", "3"));
    ASSERT_TRUE(write("a", "p", "4"));
    EXPECT_EQ(content(), "[a]\nx=1\nz=3\np=4\n; trailing comment\n\n[b]\ny=2\n");

    setContent("[a]\n\n[b]\n");
    ASSERT_TRUE(write("a", "k", "v"));
    EXPECT_EQ(content(), "[a]\nk=v\n\n[b]\n");

    setContent("[a]\nvalueless line\n;c\n");
    ASSERT_TRUE(write("a", "k", "v"));
    EXPECT_EQ(content(), "[a]\nvalueless line\nk=v\n;c\n");

    setContent("[a]\nx=1");
    ASSERT_TRUE(write("a", "y", "2"));
    EXPECT_EQ(content(), "[a]\nx=1\ny=2\n");
}

TEST_F(Writing, ExistingKeyChangesOnlyItsValue) {
    setContent("[Sec]\n  Key = old  \nz=1\n");
    ASSERT_TRUE(write("SEC", "KEY", "new"));
    EXPECT_EQ(content(), "[Sec]\n  Key =new\nz=1\n");

    setContent("[s]\r\nk=old");
    ASSERT_TRUE(write("s", "k", "new"));
    EXPECT_EQ(content(), "[s]\r\nk=new\r\n");
}

TEST_F(Writing, DuplicateSectionsAndKeysTouchOnlyTheFirst) {
    setContent("[s]\na=1\na=2\n[s]\nb=2\n");
    ASSERT_TRUE(write("s", "b", "3"));
    ASSERT_TRUE(write("s", "a", "9"));
    EXPECT_EQ(content(), "[s]\na=9\na=2\nb=3\n[s]\nb=2\n");
}

TEST_F(Writing, EveryOtherByteIsKept) {
    const std::string head = "\xEF\xBB\xBF junk before any header\r\n;comment\r\n"
                             "  [One]  trailing text\r\n\tkeep = this \r\n#hash=1\r\n"
                             "valueless\r\n\r\n\r\n";
    const std::string tail = "[Two]\rmixed=cr\n[One]\r\ntarget=dup\r\n\x01\x02\xFF binary";
    setContent(head + tail);
    ASSERT_TRUE(write("one", "target", "set"));
    ASSERT_TRUE(write("one", "keep", "changed"));
    const std::string expected = "\xEF\xBB\xBF junk before any header\r\n;comment\r\n"
                                 "  [One]  trailing text\r\n\tkeep =changed\r\n#hash=1\r\n"
                                 "valueless\r\ntarget=set\r\n\r\n\r\n" +
                                 tail;
    EXPECT_EQ(content(), expected);
}

TEST_F(Writing, ValueIsWrittenRawAndReadBackToItsFirstLine) {
    ASSERT_TRUE(write("s", "spaces", "  padded ; \"q\"  "));
    ASSERT_TRUE(write("s", "lines", "first\r\nsecond=2\r\n[t]\r\nthird"));
    ASSERT_TRUE(write("s", "nul", "a\0b"s));
    // The raw break put "[t]" in the file: [s] ends before it, so "nul" goes there.
    EXPECT_EQ(content(), native("[s]\nspaces=  padded ; \"q\"  \nlines=first") +
                             "\r\nsecond=2\r\n" + native("nul=a\0b\n"s) + "[t]\r\n" +
                             native("third\n"));
    EXPECT_EQ(read("s", "spaces"), "padded ; \"q\"");
    EXPECT_EQ(read("s", "lines"), "first");
    EXPECT_EQ(read("s", "second"), "2");
    EXPECT_EQ(read("t", "third", "valueless"), "valueless");
    EXPECT_EQ(read("s", "nul"), "a\0b"s);
}

TEST_F(Writing, UnicodeBytesPassThrough) {
    const std::string section = "Gr\xC3\xB6\xC3\x9F"
                                "e";
    const std::string key = "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87";
    const std::string value = "\xE5\x80\xA4 \xF0\x9F\x98\x80";
    ASSERT_TRUE(write(section, key, value));
    EXPECT_EQ(content(), native("[" + section + "]\n" + key + "=" + value + "\n"));
    EXPECT_EQ(read(section, key), value);
}

// As Notepad saves "Unicode": read, and written back in UTF-16 with its own line breaks.
TEST_F(Writing, AUtf16FileStaysUtf16) {
    const auto utf16 = [](std::string_view ascii) {
        std::string out = "\xFF\xFE";
        for (const char c : ascii) {
            out += std::string{c, '\0'};
        }
        return out;
    };
    const std::string muller = "M\xC3\xBCller";
    setContent(utf16("[ZIQ]\r\nFIRSTRUN=9\r\nSAVEDFILEPATH=D:\\M") + "\xFC\0"s +
               utf16("ller\\\r\n[LINKCATCHER]\r\nON=1\r\n").substr(2));
    EXPECT_EQ(read("ZIQ", "SAVEDFILEPATH"), "D:\\" + muller + "\\");
    EXPECT_EQ(read("LINKCATCHER", "ON"), "1");
    const std::string before = content();
    ASSERT_TRUE(write("ZIQ", "FIRSTRUN", "9"));
    EXPECT_EQ(content(), before); // the same value writes nothing
    ASSERT_TRUE(write("ZIQ", "ON", "1"));
    ASSERT_TRUE(write("LINKCATCHER", "ON", "0"));
    ASSERT_TRUE(write("NEW", "K", "\xF0\x9F\x98\x80"));
    EXPECT_EQ(content(),
              utf16("[ZIQ]\r\nFIRSTRUN=9\r\nSAVEDFILEPATH=D:\\M") + "\xFC\0"s +
                  utf16("ller\\\r\nON=1\r\n[LINKCATCHER]\r\nON=0\r\n[NEW]\r\nK=").substr(2) +
                  "\x3D\xD8\x00\xDE"s + utf16("\r\n").substr(2));
    EXPECT_EQ(read("NEW", "K"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(entriesIn(folder_), 1U);
    // A lone surrogate and an odd last byte survive a rewrite; a mark alone is an empty file.
    setContent(utf16("[s]\r\nk=") + "\x00\xD8"s + utf16("\r\nx").substr(2) + "y");
    ASSERT_TRUE(write("s", "k2", "v"));
    EXPECT_EQ(content(), utf16("[s]\r\nk=") + "\x00\xD8"s + utf16("\r\nx").substr(2) + "y\0"s +
                             utf16("\r\nk2=v\r\n").substr(2));
    setContent("\xFF\xFE");
    ASSERT_TRUE(write("s", "k", "v"));
    EXPECT_EQ(content(), utf16(native("[s]\nk=v\n")));
}

TEST_F(Writing, ALongFileNameStillGetsItsTemporaryFile) {
    const std::string name = std::string(240, 'n') + ".ini";
    setContent("[a]\nx=1\n[b]\n", name);
    ASSERT_TRUE(write("a", "y", "2", name)); // a rewrite, through a temporary file
    EXPECT_EQ(content(name), "[a]\nx=1\ny=2\n[b]\n");
    EXPECT_EQ(entriesIn(folder_), 1U);
}

TEST_F(Writing, ArgumentsLoseOuterSpacesOnly) {
    ASSERT_TRUE(write("  s  ", "  k  ", " v "));
    ASSERT_TRUE(write("\tt", "k\t", "v"));
    EXPECT_EQ(content(), native("[s]\nk= v \n[\tt]\nk\t=v\n"));
}

TEST_F(Writing, NewLinesFollowTheFilesLineBreak) {
    const std::pair<std::string, std::string> cases[] = {
        {"[a]\r\nx=1\r\n", "[a]\r\nx=1\r\ny=2\r\n[b]\r\nk=v\r\n"},
        {"[a]\rx=1\r", "[a]\rx=1\ry=2\r[b]\rk=v\r"},
        {"[a]\nx=1\n", "[a]\nx=1\ny=2\n[b]\nk=v\n"},
        {"[a]\r\nx=1\nw=0", "[a]\r\nx=1\nw=0\r\ny=2\r\n[b]\r\nk=v\r\n"},
    };
    for (const auto& [before, after] : cases) {
        setContent(before);
        ASSERT_TRUE(write("a", "y", "2"));
        ASSERT_TRUE(write("b", "k", "v"));
        EXPECT_EQ(content(), after);
    }
}

TEST_F(Writing, SameValueWritesNothing) {
    setContent("[s]\nk=same\nq=\"quoted\"\n");
#ifndef _WIN32
    // An old timestamp shows whether anything touched the file.
    const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file().c_str(), old, 0), 0);
    struct stat before {};
    ::stat(file().c_str(), &before);
#endif
    for (const std::uint64_t threshold : {std::uint64_t{0}, std::uint64_t{1} << 40}) {
        testing::setIndexThreshold(threshold);
        ASSERT_TRUE(write("S", "K", "same"));
        ASSERT_TRUE(write("s", "q", "\"quoted\""));
    }
    EXPECT_EQ(content(), "[s]\nk=same\nq=\"quoted\"\n");
    EXPECT_EQ(entriesIn(folder_), 1U);
#ifndef _WIN32
    struct stat after {};
    ::stat(file().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, 1'000'000'000);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
#endif
    // A quoted value is a different value: it is written.
    ASSERT_TRUE(write("s", "q", "quoted"));
    EXPECT_EQ(content(), "[s]\nk=same\nq=quoted\n");
}

#ifndef _WIN32
mode_t modeOf(const std::filesystem::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST_F(Writing, NewFileAccessAndKeptPermissions) {
    const mode_t oldMask = ::umask(022);
    EXPECT_TRUE(writeString("s", "k", "v", file("default.ini")));
    EXPECT_TRUE(writeString("s", "k", "v", file("private.ini"), NewFileAccess::OwnerOnly));
    EXPECT_EQ(modeOf(file("default.ini")), 0644U);
    EXPECT_EQ(modeOf(file("private.ini")), 0600U);

    // An existing file keeps its mode through appends and rewrites, whatever access is asked.
    ::chmod(file("default.ini").c_str(), 0640);
    EXPECT_TRUE(writeString("s", "k", "changed", file("default.ini"), NewFileAccess::OwnerOnly));
    EXPECT_TRUE(writeString("t", "k", "v", file("default.ini"), NewFileAccess::OwnerOnly));
    EXPECT_EQ(modeOf(file("default.ini")), 0640U);
    ::umask(oldMask);
}

TEST_F(Writing, ThroughASymbolicLinkTheTargetChanges) {
    setContent("[s]\nk=old\n", "real.ini");
    std::filesystem::create_symlink("real.ini", file("link.ini"));
    ASSERT_TRUE(write("s", "k", "new", "link.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(file("link.ini")));
    EXPECT_EQ(content("real.ini"), "[s]\nk=new\n");
}
#endif

} // namespace
} // namespace ziq::profile::test
