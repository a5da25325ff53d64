#include "history/history_cli.h"

#include "history/entry_id.h"
#include "history/history_scan.h"
#include "history/text_format.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

namespace ziq::history {

namespace {

constexpr std::size_t kListedCharacters = 200;
constexpr std::size_t kOutputBlock = std::size_t{64} << 10;

const char* kindName(EntryKind kind) {
    return kind == EntryKind::Capture ? "capture" : "link";
}

std::string stampText(std::int64_t stamp, char between) {
    std::string text = "0000-00-00 00:00:00";
    text[10] = between;
    const auto put = [&](std::size_t end, std::int64_t value, int digits) {
        for (int k = 1; k <= digits; ++k, value /= 10) {
            text[end - static_cast<std::size_t>(k)] = static_cast<char>('0' + value % 10);
        }
    };
    put(4, stamp / 10000000000LL, 4);
    put(7, stamp / 100000000 % 100, 2);
    put(10, stamp / 1000000 % 100, 2);
    put(13, stamp / 10000 % 100, 2);
    put(16, stamp / 100 % 100, 2);
    put(19, stamp % 100, 2);
    return text;
}

struct ListOptions {
    HistoryQuery query;
    std::optional<std::uint64_t> limit;
    bool json = false;
};

int bad(CliContext& context, const std::string& message) {
    context.err << "ziq2-history: " << message << "\n";
    return kExitBadInput;
}

std::string problemsText(const std::vector<std::string>& problems) {
    if (problems.empty()) {
        return {};
    }
    std::string text = " (" + problems.front();
    if (problems.size() > 1) {
        text += " and " + std::to_string(problems.size() - 1) + " more problems";
    }
    return text + ")";
}

bool writeJsonLine(const Entry& entry, LogReader& reader, const std::string& id,
                   std::ostream& out) {
    std::string line = "{\"id\":";
    appendJsonString(id, line);
    line += ",\"time\":\"" + stampText(entry.stamp, 'T') + "\",\"kind\":\"" + kindName(entry.kind) +
            "\",\"text\":\"";
    Utf8Pieces pieces;
    const auto escape = [&](char32_t c) {
        appendJsonCharacter(c, line);
        return true;
    };
    const bool read = readWholeText(entry, reader, [&](std::string_view piece) {
        pieces.add(piece, escape);
        if (line.size() > (std::size_t{1} << 20)) {
            out << line;
            line.clear();
        }
        return true;
    });
    pieces.finish(escape);
    line += "\"}\n";
    out << line;
    return read;
}

int runList(const ListOptions& options, CliContext& context) {
    std::uint64_t printed = 0;
    bool readFailed = false;
    std::string lines;
    const ScanReport report =
        scanHistory(context.folders, options.query, [&](const Entry& entry, LogReader& reader) {
            const std::string id = entryId(entry, reader);
            if (id.empty()) {
                readFailed = true;
                return true;
            }
            if (options.json) {
                readFailed = !writeJsonLine(entry, reader, id, context.out) || readFailed;
            } else {
                // Written in blocks: a full search prints tens of thousands of lines.
                lines.append(id).append(1, '\t').append(stampText(entry.stamp, ' '));
                lines.append(1, '\t').append(kindName(entry.kind)).append(1, '\t');
                lines.append(listedText(entry.text)).append(1, '\n');
                if (lines.size() >= kOutputBlock) {
                    context.out << lines;
                    lines.clear();
                }
            }
            ++printed;
            return !options.limit || printed < *options.limit;
        });
    context.out << lines;
    context.out.flush();
    std::vector<std::string> problems = report.problems;
    if (readFailed) {
        problems.push_back("some entries could not be read");
    }
    if (printed == 0) {
        context.err << "ziq2-history: nothing matched" << problemsText(problems) << "\n";
        return kExitNothing;
    }
    context.err << "ziq2-history: " << printed << (printed == 1 ? " entry" : " entries")
                << problemsText(problems) << "\n";
    return kExitPrinted;
}

int runOne(bool copy, const std::string& id, CliContext& context) {
    std::unique_ptr<FoundEntry> found;
    switch (findEntry(context.folders, id, found)) {
    case FindStatus::BadId:
        return bad(context, "not an entry ID: " + id);
    case FindStatus::NotFound:
        return bad(context, "no such entry (its log has changed or is gone): " + id);
    case FindStatus::Found:
        break;
    }
    std::string whole;
    const bool read = readWholeText(found->entry, found->reader(), [&](std::string_view piece) {
        if (copy) {
            whole += piece;
        } else {
            context.out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        }
        return true;
    });
    context.out.flush();
    if (!read) {
        context.err << "ziq2-history: cannot read the entry's log file\n";
        return kExitNothing;
    }
    if (copy) {
        if (!context.copyText || !context.copyText(whole)) {
            context.err << "ziq2-history: the clipboard could not be set\n";
            return kExitNothing;
        }
        context.err << "ziq2-history: copied " << found->entry.length() << " bytes\n";
        return kExitPrinted;
    }
    context.err << "ziq2-history: printed " << found->entry.length() << " bytes\n";
    return kExitPrinted;
}

} // namespace

int parseDateArgument(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return 0;
    }
    int value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == 4 || i == 7) {
            continue;
        }
        if (text[i] < '0' || text[i] > '9') {
            return 0;
        }
        value = value * 10 + (text[i] - '0');
    }
    return isCalendarDate(value) ? value : 0;
}

std::string listedText(std::string_view text) {
    // Most texts begin with plain ASCII, which is shown as it is.
    const std::size_t most = std::min(text.size(), kListedCharacters);
    std::size_t plain = 0;
    while (plain < most && text[plain] >= 0x20 && text[plain] < 0x7F) {
        ++plain;
    }
    std::string out(text.substr(0, plain));
    text.remove_prefix(plain);
    std::size_t count = plain;
    bool cut = false;
    bool afterCr = false;
    Utf8Pieces pieces;
    const auto show = [&](char32_t c) {
        if (c == '\n' && afterCr) {
            afterCr = false;
            return true; // the LF of a CR LF pair
        }
        afterCr = c == '\r';
        if (count == kListedCharacters) {
            cut = true;
            return false;
        }
        ++count;
        if (c == '\r' || c == '\n') {
            out += "\u23CE";
        } else if (c == '\t') {
            out += "\u2192";
        } else {
            appendUtf8(c, out);
        }
        return true;
    };
    if (pieces.add(text, show)) {
        pieces.finish(show);
    }
    if (cut) {
        // The last character shown makes room for the mark, so the line holds 200 in all.
        std::size_t i = out.size();
        do {
            --i;
        } while (i > 0 && (static_cast<unsigned char>(out[i]) & 0xC0) == 0x80);
        out.resize(i);
        out += "\u2026";
    }
    return out;
}

bool wantsCommandLine(const std::vector<std::string>& arguments) {
    return !arguments.empty();
}

int runCommandLine(const std::vector<std::string>& arguments, CliContext& context) {
    if (arguments.empty()) {
        return bad(context, "give --list, --print ID or --copy ID");
    }
    const std::string& mode = arguments.front();
    if (mode == "--print" || mode == "--copy") {
        if (arguments.size() != 2) {
            return bad(context, mode + " takes one entry ID");
        }
        if (!context.settingsFound) {
            return bad(context, "no settings file " + context.settingsFile);
        }
        return runOne(mode == "--copy", arguments[1], context);
    }
    if (mode != "--list") {
        return bad(context, "unknown option " + mode + " (give --list, --print ID or --copy ID)");
    }
    ListOptions options;
    bool onlyLinks = false;
    bool onlyClips = false;
    bool wordsOnly = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue =
            argument == "--since" || argument == "--until" || argument == "--limit";
        if (wordsOnly || argument.empty() || argument[0] != '-' || argument == "-") {
            options.query.words.push_back(argument);
        } else if (argument == "--") {
            wordsOnly = true;
        } else if (argument == "--links") {
            onlyLinks = true;
        } else if (argument == "--clips") {
            onlyClips = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (takesValue && i + 1 == arguments.size()) {
            return bad(context, argument + " needs a value");
        } else if (argument == "--limit") {
            const std::string& value = arguments[++i];
            std::uint64_t limit = 0;
            const auto read = std::from_chars(value.data(), value.data() + value.size(), limit);
            if (value.empty() || read.ec != std::errc() ||
                read.ptr != value.data() + value.size() || limit == 0) {
                return bad(context, "--limit needs a whole number of at least 1, not " + value);
            }
            options.limit = limit;
        } else if (takesValue) {
            const std::string& value = arguments[++i];
            const int date = parseDateArgument(value);
            if (date == 0) {
                return bad(context, "not a date (YYYY-MM-DD): " + value);
            }
            (argument == "--since" ? options.query.since : options.query.until) = date;
        } else {
            return bad(context, "unknown option " + argument);
        }
    }
    if (onlyLinks && onlyClips) {
        return bad(context, "give --links or --clips, not both");
    }
    if (options.query.since != 0 && options.query.until != 0 &&
        options.query.since > options.query.until) {
        return bad(context, "--since is after --until");
    }
    options.query.captures = !onlyLinks;
    options.query.links = !onlyClips;
    if (!context.settingsFound) {
        context.err << "ziq2-history: nothing matched (no settings file " << context.settingsFile
                    << ")\n";
        return kExitNothing;
    }
    return runList(options, context);
}

} // namespace ziq::history
