#include <optional>

#include "profile/file_io.h"
#include "profile/file_lock.h"
#include "profile/file_scan.h"
#include "profile/index_cache.h"
#include "profile/profile_file.h"
#include "profile/profile_index.h"
#include "profile/profile_text.h"
#include "profile/rewrite_sink.h"
#include "profile/temporary_file.h"
#include "profile/utf16_text.h"
#include "profile/write_plan.h"

namespace ziq::profile {

namespace {

constexpr int kAttempts = 3;

enum class Outcome { Done, Failed, Retry };

struct Request {
    std::string_view section;
    std::string_view key;
    std::string_view value;
    NewFileAccess access;
};

struct Planned {
    WritePlan plan;
    std::uint64_t contentStart = 0;
    std::optional<ProfileIndex> index; // describes the file before the change
    // A UTF-16 file's text as UTF-8: the plan's offsets count in it, and the file is written
    // back whole.
    std::optional<std::string> utf16Text;
};

std::filesystem::path folderOf(const std::filesystem::path& target) {
    const std::filesystem::path folder = target.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// A failed read means an I/O error, unless the file changed under us: then try again.
Outcome failedOrChanged(io::File& file, const io::FileStamp& before) {
    io::FileStamp now;
    return file.stamp(now) && now != before ? Outcome::Retry : Outcome::Failed;
}

enum class IndexPlan {
    Planned,
    NeedsScan, // the index cannot answer: the caller scans the whole file
    ReadFailed,
};

// Plans from a cached index, reading at most the last section.
IndexPlan planFromIndex(io::File& file, const Request& request, Planned& planned) {
    ProfileIndex& index = *planned.index;
    const std::string_view lineBreak = newLineBreak(index.lineBreak);
    const PrecedingLine preceding =
        index.lastLineOpen ? PrecedingLine::Unended : PrecedingLine::Ended;
    planned.contentStart = index.contentStart;
    const std::uint64_t sectionHash = foldedNameHash(request.section);
    if (!index.sections.contains(sectionHash)) {
        planned.plan.changes = true;
        planned.plan.from = planned.plan.to = index.size;
        planned.plan.insert =
            newSectionText(request.section, request.key, request.value, lineBreak, preceding);
        return IndexPlan::Planned;
    }
    if (index.lastSectionHash != sectionHash || !index.lastSectionIsFirst) {
        return IndexPlan::NeedsScan;
    }
    if (index.anchorAtEnd && !index.lastSectionKeys.contains(foldedNameHash(request.key))) {
        planned.plan.changes = true;
        planned.plan.from = planned.plan.to = index.size;
        planned.plan.insert = newEntryText(request.key, request.value, lineBreak, preceding);
        return IndexPlan::Planned;
    }
    WritePlanner planner(request.section, request.key, request.value);
    if (scanLines(file, index.lastSectionStart, index.size, planner) == ScanResult::Failed) {
        return IndexPlan::ReadFailed;
    }
    planned.plan = planner.finish(index.size, index.lineBreak);
    return IndexPlan::Planned;
}

Outcome planByScan(io::File& file, const io::FileStamp& before, bool keepIndex,
                   const Request& request, Planned& planned) {
    ByteOrderMark mark;
    if (!readByteOrderMark(file, before.size, mark)) {
        return Outcome::Failed;
    }
    planned.contentStart = mark.length;
    WritePlanner planner(request.section, request.key, request.value);
    ProfileIndex built;
    built.size = before.size;
    built.contentStart = planned.contentStart;
    IndexBuilder builder(built, IndexBuilder::Mode::Bulk);
    LineSinkPair both(planner, builder);
    if (mark.utf16) {
        std::string text;
        if (!readUtf16Text(file, before.size, text)) {
            return failedOrChanged(file, before);
        }
        scanText(text, both);
        built.size = text.size();
        planned.utf16Text = std::move(text);
    } else if (scanLines(file, planned.contentStart, before.size, both) == ScanResult::Failed) {
        return failedOrChanged(file, before);
    }
    builder.finish();
    planned.plan = planner.finish(built.size, built.lineBreak);
    if (keepIndex && !mark.utf16) {
        planned.index = std::move(built);
    }
    return Outcome::Done;
}

// Cuts the file back to what it was before a failed append.
void undoAppend(io::File& file, std::uint64_t size) {
    if (file.truncate(size)) {
        file.sync();
    }
}

Outcome appendInPlace(IndexCache& cache, io::File& file, const io::FileStamp& before,
                      Planned& planned) {
    // A notice that came before our write is another writer's; collected at once after it,
    // the notice is ours, and any later one is another writer's again.
    bool watched = planned.index && !cache.changed(before);
    if (!file.writeAt(before.size, planned.plan.insert)) {
        undoAppend(file, before.size);
        return Outcome::Failed;
    }
    watched = watched && cache.acceptOwnWrite(before);
    if (ProfileProcessState& state = profileProcessState(); state.afterOwnWrite) {
        state.afterOwnWrite();
    }
    // An entry reported as logged must survive a power cut, not only the end of the process.
    if (!file.flushData()) {
        undoAppend(file, before.size);
        return Outcome::Failed;
    }
    io::FileStamp now;
    const bool extended = watched && file.stamp(now) && now.sameFile(before) &&
                          now.size == before.size + planned.plan.insert.size() &&
                          extendIndex(*planned.index, planned.plan.insert);
    file.close();
    if (extended) {
        cache.store(now, std::move(*planned.index)); // refused if a change was reported since
    }
    return Outcome::Done;
}

Outcome rewrite(IndexCache& cache, io::File& file, const io::FileStamp& before,
                const Planned& planned, const std::filesystem::path& target) {
    const WritePlan& plan = planned.plan;
    std::optional<TemporaryFile> temporary = TemporaryFile::createBeside(target, {0600, true});
    if (!temporary) {
        return Outcome::Failed;
    }
    RewriteSink sink(temporary->file());
    if (planned.utf16Text) {
        const std::string& text = *planned.utf16Text;
        const std::string changed = text.substr(0, plan.from) + plan.insert + text.substr(plan.to);
        if (!sink.onBytes(kUtf16Mark) || !sink.onBytes(utf16FromUtf8(changed))) {
            return Outcome::Failed;
        }
    } else if (!copyRange(file, 0, plan.from, sink) || !sink.onBytes(plan.insert) ||
               !copyRange(file, plan.to, before.size, sink)) {
        return failedOrChanged(file, before);
    }
    if (!temporary->file().takePermissions(before) || !temporary->file().sync() ||
        !temporary->file().close()) {
        return Outcome::Failed;
    }
    io::FileStamp now;
    if (!file.stamp(now)) {
        return Outcome::Failed;
    }
    if (now != before || (planned.index && cache.changed(before))) {
        return Outcome::Retry; // someone else wrote meanwhile: plan again on their content
    }
    file.close(); // Windows cannot replace an open file
    if (!io::replaceFile(temporary->path(), target)) {
        return Outcome::Failed;
    }
    temporary->published();
    io::syncFolder(folderOf(target));
    // The new file gets an index when it is next read under a watch; a rewrite reads the
    // whole file anyway.
    return Outcome::Done;
}

Outcome createFile(const Request& request, const std::filesystem::path& target) {
    const std::string content = newSectionText(request.section, request.key, request.value,
                                               newLineBreak(LineBreak::None), PrecedingLine::Ended);
    io::NewFileRights rights;
    rights.mode = request.access == NewFileAccess::OwnerOnly ? 0600 : 0666;
    rights.ownerOnly = request.access != NewFileAccess::Default;
    std::optional<TemporaryFile> temporary = TemporaryFile::createBeside(target, rights);
    if (!temporary) {
        return Outcome::Failed;
    }
    if (!temporary->file().writeAt(0, content) || !temporary->file().sync() ||
        !temporary->file().close()) {
        return Outcome::Failed;
    }
    switch (io::publishNewFile(temporary->path(), target)) {
    case io::PublishStatus::Exists:
        return Outcome::Retry; // created meanwhile: write into it instead
    case io::PublishStatus::Failed:
        return Outcome::Failed;
    case io::PublishStatus::Done:
        break;
    }
    temporary->published();
    io::syncFolder(folderOf(target));
    return Outcome::Done;
}

Outcome writeOnce(IndexCache& cache, const Request& request, const std::filesystem::path& target) {
    io::OpenStatus status = io::OpenStatus::Ok;
    io::File file = io::File::openForUpdate(target, status);
    if (status == io::OpenStatus::Missing) {
        return createFile(request, target);
    }
    io::FileStamp before;
    // A folder we cannot write fails every write alike, whether or not this one could have
    // been done in place.
    if (!file.isOpen() || !io::folderWritable(folderOf(target)) || !file.stamp(before)) {
        return Outcome::Failed;
    }

    Planned planned;
    planned.index = cache.take(before);
    bool havePlan = false;
    if (planned.index) {
        switch (planFromIndex(file, request, planned)) {
        case IndexPlan::ReadFailed:
            return failedOrChanged(file, before);
        case IndexPlan::NeedsScan:
            planned.index.reset();
            break;
        case IndexPlan::Planned:
            havePlan = true;
            break;
        }
    }
    if (!havePlan) {
        // Only content read while the file is watched may be indexed.
        const bool keepIndex = readyToIndex(cache, target, before);
        const Outcome scanned = planByScan(file, before, keepIndex, request, planned);
        if (scanned != Outcome::Done) {
            return scanned;
        }
    }
    io::FileStamp now;
    if (!file.stamp(now)) {
        return Outcome::Failed;
    }
    if (now != before || (planned.index && cache.changed(before))) {
        return Outcome::Retry;
    }
    if (!planned.plan.changes) {
        if (planned.index) {
            cache.store(before, std::move(*planned.index));
        }
        return Outcome::Done;
    }
    if (!planned.utf16Text && planned.plan.appendsTo(before.size)) {
        return appendInPlace(cache, file, before, planned);
    }
    return rewrite(cache, file, before, planned, target);
}

} // namespace

bool writeString(std::string_view section, std::string_view key, std::string_view value,
                 const std::filesystem::path& file, NewFileAccess access) {
    if (!file.has_filename()) {
        return false;
    }
    const Request request{stripSpaces(section), stripSpaces(key), value, access};
    const std::filesystem::path target = io::resolveLinks(file);
    ProfileProcessState& state = profileProcessState();
    const std::scoped_lock lock(state.mutex);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Held across the change, so ziq2-history deleting an entry of this file meanwhile
        // cannot lose it; a missing file has no entry to delete.
        const FileLock fileLock = FileLock::acquire(target);
        if (fileLock.status() == FileLock::Status::Failed) {
            return false;
        }
        switch (writeOnce(state.cache, request, target)) {
        case Outcome::Done:
            return true;
        case Outcome::Failed:
            return false;
        case Outcome::Retry:
            break;
        }
    }
    return false;
}

} // namespace ziq::profile
