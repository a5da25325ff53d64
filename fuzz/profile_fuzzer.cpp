// libFuzzer target for the profile-file reader and writer. Each input describes a starting
// file (any bytes) and a sequence of operations on it: writes of random or look-alike names
// and values, edits of the file behind the module's back, and writes with an injected I/O
// failure. After every step the file is read through the module and held against a plain
// reference reader, and after every write:
//   - the written key reads back as the value's first line, trimmed, outer quotes removed;
//   - every other key reads as it did before (unless the value's line breaks added lines);
//   - a write that failed left the file byte for byte as it was, with no stray files.
// A file that opens with FF FE is UTF-16 text, as Notepad saves it: the reference reads what it
// says, and a value written into it comes back as it reads once made UTF-16.

#include "profile/profile_file.h"
#include "profile/profile_test_hooks.h"
#include "profile/utf16_text.h"
#include "reference_profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace profile = ziq::profile;
using ziq::fuzz::lookUp;
using Names = std::vector<std::pair<std::string, std::string>>;

struct Figures {
    unsigned long long writes = 0;
    unsigned long long faultsInjected = 0;
    unsigned long long failedWrites = 0;
};

Figures& figures() {
    static Figures counts;
    return counts;
}

fs::path& folder() {
    static fs::path path;
    return path;
}

void reportFigures() {
    const Figures& f = figures();
    std::fprintf(stderr, "profile fuzzer: %llu writes, %llu faults injected, %llu writes failed\n",
                 f.writes, f.faultsInjected, f.failedWrites);
    std::error_code ignored;
    fs::remove_all(folder(), ignored);
}

[[noreturn]] void fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "profile fuzzer: %s\n%s\n", what, detail.c_str());
    std::abort();
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool isUtf16(const std::string& bytes) {
    return bytes.starts_with(profile::kUtf16Mark);
}

// The text that the file's bytes stand for.
std::string textOf(const std::string& bytes) {
    return isUtf16(bytes) ? profile::utf8FromUtf16(std::string_view(bytes).substr(2)) : bytes;
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::size_t filesIn(const fs::path& path) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(path), fs::directory_iterator()));
}

// Names built from a few letters, so writes often hit what the file or earlier writes hold,
// in other letter cases and with outer spaces; now and then any bytes at all.
std::string name(FuzzedDataProvider& input, bool section) {
    static constexpr char kPieces[] = "aAbB ;=[]\t\"'";
    if (input.ConsumeIntegralInRange(0, 7) == 0) {
        return input.ConsumeRandomLengthString(12);
    }
    std::string text;
    const int length = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < length; ++i) {
        const int limit = section ? 4 : 5; // letters and spaces, sometimes ';' in keys
        text += kPieces[input.ConsumeIntegralInRange(0, limit)];
    }
    return text;
}

std::string value(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return "\"" + input.ConsumeRandomLengthString(8) + "\"";
    case 1:
        return " " + input.ConsumeRandomLengthString(8) + "\t";
    default:
        return input.ConsumeRandomLengthString(24);
    }
}

std::string show(const std::optional<std::string>& v) {
    return v ? "\"" + *v + "\"" : std::string("(none)");
}

std::optional<std::string> readThroughModule(const fs::path& file, const std::string& section,
                                             const std::string& key) {
    // A default no stored value can be (a line break) tells "missing" from an empty value.
    const std::string got = profile::readString(section, key, "\n", 1 << 16, file);
    return got == "\n" ? std::nullopt : std::optional(got);
}

// Every probe reads through the module exactly as the reference reads the bytes on disk.
void checkReads(const fs::path& file, const Names& probes) {
    const std::string bytes = readAll(file);
    const std::string text = textOf(bytes);
    for (const auto& [section, key] : probes) {
        const auto expected = lookUp(text, section, key);
        const auto got = readThroughModule(file, section, key);
        if (got != expected) {
            fail("read differs from the reference", "[" + section + "] " + key + ": " + show(got) +
                                                        " expected " + show(expected) +
                                                        "\nfile:\n" + bytes);
        }
    }
}

std::vector<std::optional<std::string>> snapshot(const std::string& bytes, const Names& probes) {
    std::vector<std::optional<std::string>> values;
    for (const auto& [section, key] : probes) {
        values.push_back(lookUp(bytes, section, key));
    }
    return values;
}

bool sameKey(const std::string& s1, const std::string& k1, const std::string& s2,
             const std::string& k2) {
    using ziq::fuzz::sameName;
    using ziq::fuzz::stripSpaces;
    return sameName(stripSpaces(s1), stripSpaces(s2)) && sameName(stripSpaces(k1), stripSpaces(k2));
}

void write(FuzzedDataProvider& input, const fs::path& file, Names& written, bool inject) {
    const std::string section = name(input, true);
    const std::string key = name(input, false);
    const std::string text = value(input);
    const bool existed = fs::exists(file);
    const std::string before = existed ? readAll(file) : std::string();
    Names probes = ziq::fuzz::namesIn(textOf(before));
    probes.insert(probes.end(), written.begin(), written.end());
    probes.emplace_back(section, key);
    const auto old = snapshot(textOf(before), probes);

    if (inject) {
        profile::testing::injectIoFailure(input.ConsumeIntegralInRange(1, 40));
    }
    const bool ok = profile::writeString(section, key, text, file);
    const bool fired = inject && profile::testing::injectedFailureHappened();
    profile::testing::injectIoFailure(0);
    ++figures().writes;
    figures().faultsInjected += fired ? 1 : 0;

    if (filesIn(folder()) != (fs::exists(file) ? 1U : 0U)) {
        fail("a write left a stray file behind");
    }
    if (!ok) {
        ++figures().failedWrites;
        if (!fired) {
            fail("a write failed with nothing in its way", section + "/" + key);
        }
        if (fs::exists(file) != existed || (existed && readAll(file) != before)) {
            fail("a failed write changed the file", before + "\n---\n" + readAll(file));
        }
        return;
    }
    const std::string after = readAll(file);
    // UTF-16 holds no byte that is not UTF-8: such a byte of a name or value is stored as U+FFFD.
    const auto stored = [utf16 = isUtf16(after)](const std::string& part) {
        return utf16 ? profile::utf8FromUtf16(profile::utf16FromUtf8(part)) : part;
    };
    const std::string storedSection = stored(section);
    const std::string storedKey = stored(key);
    written.emplace_back(storedSection, storedKey);
    probes.emplace_back(storedSection, storedKey);
    const bool lineBreaks = text.find_first_of("\r\n") != std::string::npos;
    if (ziq::fuzz::roundTrips(storedSection, storedKey)) {
        const auto got = readThroughModule(file, storedSection, storedKey);
        if (got != ziq::fuzz::readBack(stored(text))) {
            fail("a written key does not read back", "[" + section + "] " + key + " = " + text +
                                                         "\ngot " + show(got) + "\nfile:\n" +
                                                         textOf(after));
        }
        if (!lineBreaks) {
            const auto now = snapshot(textOf(after), probes);
            for (std::size_t i = 0; i < old.size(); ++i) {
                if (!sameKey(probes[i].first, probes[i].second, storedSection, storedKey) &&
                    now[i] != old[i]) {
                    fail("a write changed another key",
                         "[" + probes[i].first + "] " + probes[i].second + "\nbefore:\n" +
                             textOf(before) + "\nafter:\n" + textOf(after));
                }
            }
        }
    }
    checkReads(file, probes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/ziq-profile-fuzz-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::abort();
    }
    folder() = pattern;
    std::atexit(reportFigures);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const fs::path file = folder() / "test.ini";
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder())) {
        fs::remove(entry.path(), ignored);
    }
    profile::testing::clearIndexCache();
    // Indexes are kept only for large files; some inputs index every file, so the cached
    // path meets the same sequences (in fewer steps: each arms a change watch).
    const bool indexAll = input.ConsumeIntegralInRange(0, 7) == 0;
    profile::testing::setIndexThreshold(indexAll ? 0 : std::uint64_t{1} << 40);
    const int steps = indexAll ? 4 : 24;

    if (input.ConsumeBool()) {
        writeAll(file, input.ConsumeRandomLengthString(512));
    }
    Names written;
    for (int step = 0; step < steps && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 9)) {
        case 0: // someone else edits the file: later reads must see it
            writeAll(file, input.ConsumeRandomLengthString(256));
            checkReads(file, ziq::fuzz::namesIn(textOf(readAll(file))));
            break;
        case 1:
        case 2:
            write(input, file, written, true);
            break;
        default:
            write(input, file, written, false);
            break;
        }
    }
    return 0;
}
