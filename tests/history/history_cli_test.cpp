#include "history_test_util.h"

#include "history/entry_id.h"
#include "history/history_cli.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace ziq::history {
namespace {

using test::writeBytes;

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

class HistoryCli : public ::testing::Test {
protected:
    HistoryCli() {
        writeBytes(logs.clips / "20240125.txt",
                   "[20240125093005]\nTEXT=first\tline\r\nsecond Café\n"
                   "[20240125093006]\nTEXT=" +
                       std::string(250, 'y') + "\n[20240125093007]\nTEXT=raw \xff\"q\"\n");
        writeBytes(logs.links / "ziqurl.txt", "[20240124]\n120000=http://example.com/a.b\n");
    }
    CliRun run(std::vector<std::string> arguments) {
        std::ostringstream out;
        std::ostringstream err;
        CliContext context{
            logs.folders, "ziq2.ini", true, out, err, [this](const std::string& text) {
                copied = text;
                return true;
            }};
        CliRun result;
        result.code = runCommandLine(arguments, context);
        result.out = out.str();
        result.err = err.str();
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        return result;
    }
    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            out.push_back(line);
        }
        return out;
    }
    std::string idOf(const std::string& line) { return line.substr(0, line.find('\t')); }

    test::HistoryFolders logs;
    std::string copied;
};

TEST_F(HistoryCli, BadInputIsExitTwoAndNothingMatchedIsOne) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--bogus"},
                                               {"--list", "--since", "2026-02-30"},
                                               {"--list", "--until", "2024-1-01"},
                                               {"--list", "--links", "--clips"},
                                               {"--list", "--limit", "0"},
                                               {"--list", "--limit"},
                                               {"--print", "c-20240125-0-000000000000"},
                                               {"--print", "c-../x-0-000000000000"},
                                               {"--copy"}}) {
        EXPECT_EQ(run(arguments).code, kExitBadInput) << arguments.back();
    }
    EXPECT_EQ(run({"--list", "nowhere"}).code, kExitNothing);
    EXPECT_EQ(run({"--list", "--since", "2024-01-26"}).code, kExitNothing);
}

TEST_F(HistoryCli, ListsNewestFirstInTheLineFormat) {
    const CliRun listed = run({"--list"});
    ASSERT_EQ(listed.code, kExitPrinted);
    const auto all = lines(listed.out);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].rfind("c-20240125-", 0), 0u) << all[0];
    EXPECT_EQ(all[0].substr(all[0].find('\t')),
              "\t2024-01-25 09:30:07\tcapture\traw \xEF\xBF\xBD\"q\"");
    EXPECT_EQ(all[1].substr(all[1].rfind('\t') + 1), std::string(199, 'y') + "\u2026");
    EXPECT_EQ(all[2].substr(all[2].find("\tcapture\t")),
              "\tcapture\tfirst\u2192line\u23CEsecond Café");
    EXPECT_EQ(all[3].substr(all[3].find('\t')),
              "\t2024-01-24 12:00:00\tlink\thttp://example.com/a.b");

    const auto found = lines(run({"--list", "--clips", "CAFÉ", "LINE"}).out);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(idOf(found[0]), idOf(all[2]));
    EXPECT_EQ(lines(run({"--list", "--limit", "2"}).out).size(), 2u);
    EXPECT_EQ(lines(run({"--list", "--links", "a.b"}).out).size(), 1u);
    EXPECT_EQ(run({"--list", "a*b"}).code, kExitNothing);

    const CliRun json = run({"--list", "--json", "--limit", "1"});
    EXPECT_EQ(json.out, "{\"id\":\"" + idOf(all[0]) +
                            "\",\"time\":\"2024-01-25T09:30:07\",\"kind\":\"capture\","
                            "\"text\":\"raw \xEF\xBF\xBD\\\"q\\\"\"}\n");
}

TEST_F(HistoryCli, PrintsAndCopiesTheExactTextAndRefusesAChangedEntry) {
    const auto all = lines(run({"--list"}).out);
    const CliRun printed = run({"--print", idOf(all[0])});
    EXPECT_EQ(printed.code, kExitPrinted);
    EXPECT_EQ(printed.out, "raw \xff\"q\"");
    EXPECT_EQ(run({"--print", idOf(all[2])}).out, "first\tline\r\nsecond Café");
    EXPECT_EQ(run({"--copy", idOf(all[3])}).code, kExitPrinted);
    EXPECT_EQ(copied, "http://example.com/a.b");

    // An earlier entry removed: the others are found again; a changed one is not.
    std::string day = test::readFile(logs.clips / "20240125.txt");
    day.erase(0, day.find("[20240125093006]"));
    day.replace(day.find("raw"), 3, "RAW");
    writeBytes(logs.clips / "20240125.txt", day);
    EXPECT_EQ(run({"--print", idOf(all[1])}).out, std::string(250, 'y'));
    EXPECT_EQ(run({"--print", idOf(all[0])}).code, kExitBadInput);
    EXPECT_EQ(run({"--print", idOf(all[2])}).code, kExitBadInput);
}

} // namespace
} // namespace ziq::history
