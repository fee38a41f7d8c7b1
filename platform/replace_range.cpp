#include "platform/replace_range.h"

#include <cerrno>

#include "platform/debug.h"
#include "platform/new_file.h"
#include "platform/paths.h"
#include "platform/save_journal.h"

namespace pawnlet::platform {
namespace {

ReplaceResult Outcome(ReplaceStatus status, int error = 0) {
    ReplaceResult result;
    result.status = status;
    result.error = error;
    return result;
}

ReplaceResult SystemFailure() {
    // A copy that ran out of source bytes met a file that someone shortened under the lock.
    return LastError() == ENODATA ? Outcome(ReplaceStatus::Changed)
                                  : Outcome(ReplaceStatus::Failed, LastError());
}

// The file at `path`, opened for writing and locked, as `status` describes it. Another save may
// have put a new file in its place while this one waited for the lock: the lock must be on the
// file the path names now.
std::optional<ReplaceResult> OpenLocked(const std::u16string& path, File& file,
                                        FileStatus& status) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (!file.Open(path, OpenMode::ReadWrite)) {
            return Outcome(ReplaceStatus::Failed, LastError());
        }
        if (!file.Lock(LockKind::Exclusive, LockWaitMs)) {
            return LastError() == EWOULDBLOCK ? Outcome(ReplaceStatus::Busy)
                                              : Outcome(ReplaceStatus::Failed, LastError());
        }
        std::optional<FileStatus> locked = file.Status();
        std::optional<FileStamp> there = StampOf(path);
        if (!locked || !there) {
            return Outcome(ReplaceStatus::Failed, LastError());
        }
        if (locked->stamp.SameFile(*there)) {
            status = *locked;
            return std::nullopt;
        }
    }
    return Outcome(ReplaceStatus::Busy);
}

// Right before the commit: the locked file must be as it was when the save began, and still be
// the file at the path. A writer that ignores the lock is caught here.
std::optional<ReplaceResult> StillAsFound(File& file, const std::u16string& path,
                                          const FileStatus& status) {
    std::optional<FileStamp> now = file.Stamp();
    std::optional<FileStamp> there = StampOf(path);
    if (!now || !there) {
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    if (!(*now == status.stamp) || !there->SameFile(status.stamp)) {
        return Outcome(ReplaceStatus::Changed);
    }
    return std::nullopt;
}

struct Plan {
    const RangeReplacement& request;
    std::u16string path; // the file itself, links followed
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::uint64_t newSize = 0;
};

// The whole new file beside the old one, then renamed over it. `fresh` has the old file's owner,
// group and mode already.
ReplaceResult WriteBeside(const Plan& plan, File& file, const FileStatus& status, NewFile& fresh) {
    // No room is reserved for the new file: a full disk only fails the save, and reserving
    // makes the flush slower on some file systems.
    File& out = fresh.file();
    const std::uint64_t size = status.stamp.size;
    bool ok = file.Seek(0) && CopyRange(out, file, plan.start) &&
              out.Write(plan.request.text.data(), plan.request.text.size()) &&
              file.Seek(plan.end) && CopyRange(out, file, size - plan.end) && out.Flush();
    if (!ok) {
        return SystemFailure();
    }
    if (auto changed = StillAsFound(file, plan.path, status)) {
        return *changed;
    }
    if (plan.request.beforeCommit && !plan.request.beforeCommit(file, plan.start, plan.end)) {
        return Outcome(ReplaceStatus::Refused);
    }
    // The commit: from here on the path names the new file.
    if (!fresh.Replace()) {
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    // The new file is complete and in place whatever follows; a rename that a power cut could
    // still undo leaves the former file, which is whole as well.
    if (!FlushFolder(FolderOf(plan.path))) {
        DebugOutput(std::string_view("Unable to flush the folder of the saved file\n"));
    }
    ReplaceResult result = Outcome(ReplaceStatus::Done);
    result.start = plan.start;
    result.stamp = out.Stamp();
    if (!result.stamp) {
        result.stamp = StampOf(plan.path);
    }
    return result;
}

// The file rewritten in place, through a journal that puts it back should anything fail.
ReplaceResult RewriteInPlace(const Plan& plan, File& file, const FileStatus& status,
                             InPlaceReason reason) {
    Journal journal;
    if (!journal.Write(file, status, CanonicalPath(plan.path), plan.start, plan.newSize)) {
        ReplaceResult result = Outcome(ReplaceStatus::NoJournal, LastError());
        result.inPlaceBecause = reason;
        result.journal = JournalFolder().value_or(u"$HOME/.local/state/pawnlet");
        return result;
    }
    auto abandon = [&journal](ReplaceResult result) {
        if (!journal.Remove()) {
            DebugOutput(std::string_view("Unable to delete the unused save journal\n"));
        }
        return result;
    };
    if (auto changed = StillAsFound(file, plan.path, status)) {
        return abandon(*changed);
    }
    // Room for a longer file, so that a full disk shows before a byte is overwritten. This
    // changes the file's change time: the check above had to come first.
    if (!file.Reserve(plan.newSize)) {
        return abandon(Outcome(ReplaceStatus::Failed, LastError()));
    }
    if (plan.request.beforeCommit && !plan.request.beforeCommit(file, plan.start, plan.end)) {
        return abandon(Outcome(ReplaceStatus::Refused));
    }
    // The commit: the journal now holds what the file loses. The tail comes from the journal,
    // as the text may be longer than what it replaces.
    const std::string_view text = plan.request.text;
    bool ok = file.Seek(plan.start) && file.Write(text.data(), text.size()) &&
              journal.SeekData(plan.end) &&
              CopyRange(file, journal.Data(), status.stamp.size - plan.end) && file.SetEnd() &&
              file.Flush();
    int error = LastError();
    if (ok && !journal.Remove()) {
        // A journal left beside the new file would undo the save at the next open.
        ok = false;
        error = LastError();
    }
    if (!ok) {
        if (journal.Restore(file)) {
            if (!journal.Remove()) {
                DebugOutput(std::string_view("Unable to delete the save journal\n"));
            }
            // The file holds its former bytes again, under a new stamp that the caller keeps
            // so that saving again is not taken for a change by another program.
            ReplaceResult result = Outcome(ReplaceStatus::Failed, error);
            result.stamp = file.Stamp();
            return result;
        }
        ReplaceResult result = Outcome(ReplaceStatus::Damaged, error);
        result.journal = journal.Path();
        return result;
    }
    ReplaceResult result = Outcome(ReplaceStatus::Done);
    result.start = plan.start;
    result.stamp = file.Stamp();
    return result;
}

ReplaceResult Create(const std::u16string& path, std::string_view text) {
    NewFile fresh;
    if (!fresh.Create(path, 0666)) {
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    File& out = fresh.file();
    if (!out.Write(text.data(), text.size()) || !out.Flush() || !fresh.Publish()) {
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    if (!FlushFolder(FolderOf(path))) {
        DebugOutput(std::string_view("Unable to flush the folder of the saved file\n"));
    }
    ReplaceResult result = Outcome(ReplaceStatus::Done);
    result.stamp = out.Stamp();
    if (!result.stamp) {
        result.stamp = StampOf(path);
    }
    return result;
}

bool NotWritable(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

ReplaceResult ReplaceRange(const RangeReplacement& request) {
    std::optional<std::u16string> path = ResolveLinks(request.path);
    if (!path) {
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    if (request.create) {
        if (request.text.size() > request.maxEnd) {
            return Outcome(ReplaceStatus::Failed, EFBIG);
        }
        return Create(*path, request.text);
    }

    File file;
    FileStatus status;
    if (auto refused = OpenLocked(*path, file, status)) {
        return *refused;
    }
    // A save of this file that was interrupted is undone before anything else: its journal
    // holds bytes that the file may lack.
    RecoveryResult recovery = RestoreFromJournal(file, status, CanonicalPath(*path));
    switch (recovery.outcome) {
    case Recovery::Nothing:
        break;
    case Recovery::Restored: {
        ReplaceResult result = Outcome(ReplaceStatus::Restored);
        result.journal = recovery.journal;
        return result;
    }
    case Recovery::Failed: {
        ReplaceResult result = Outcome(ReplaceStatus::Damaged, recovery.error);
        result.journal = recovery.journal;
        return result;
    }
    }
    if (request.expected && !(status.stamp == *request.expected)) {
        return Outcome(ReplaceStatus::Changed);
    }

    Plan plan{request, *path};
    const std::uint64_t size = status.stamp.size;
    plan.start = request.append ? size : request.start;
    plan.end = request.append ? size : request.end;
    if (plan.start > plan.end || plan.end > size) {
        return Outcome(ReplaceStatus::OutsideFile);
    }
    if (request.text.size() > request.maxEnd || plan.start > request.maxEnd - request.text.size()) {
        return Outcome(ReplaceStatus::Failed, EFBIG);
    }
    plan.newSize = plan.start + request.text.size() + (size - plan.end);

    if (status.links > 1) {
        return RewriteInPlace(plan, file, status, InPlaceReason::HardLinks);
    }
    NewFile fresh;
    if (!fresh.Create(*path, 0600)) {
        if (NotWritable(LastError())) {
            return RewriteInPlace(plan, file, status, InPlaceReason::FolderNotWritable);
        }
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    // The owner first: changing it clears the set-id bits, which the mode then puts back.
    std::optional<FileStatus> created = fresh.file().Status();
    if (!created) {
        return Outcome(ReplaceStatus::Failed, LastError());
    }
    bool kept = (created->owner == status.owner && created->group == status.group) ||
                fresh.file().SetOwner(status.owner, status.group);
    kept = kept && (created->mode == status.mode || fresh.file().SetMode(status.mode));
    if (!kept) {
        if (LastError() != EPERM) {
            return Outcome(ReplaceStatus::Failed, LastError());
        }
        fresh.Discard();
        return RewriteInPlace(plan, file, status, InPlaceReason::OwnerNotKept);
    }
    return WriteBeside(plan, file, status, fresh);
}

} // namespace pawnlet::platform
