#include "library_set.h"

#include "copy_rule.h"
#include "library.h"
#include "name_rules.h"
#include "open_for_writing.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

std::string splitLibraryPath(const std::string& library, int n) {
    const fs::path path(library);
    const std::string suffix = "_" + std::to_string(n);
    fs::path split =
        path.parent_path() / (path.stem().string() + suffix + path.extension().string());
    return split.string();
}

namespace {

/// Whether anything at all is at `path`, a link that leads nowhere included.
bool somethingAt(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

LibrarySet::Opening LibrarySet::open(const std::string& path, bool mayGrow,
                                     std::chrono::milliseconds wait) {
    Opening result;
    result.path = path;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // The libraries of the set as they are now, locked together. Another writer of the set may
    // have added one before it let us have the locks; then they are taken again with it.
    std::vector<std::string> paths{path};
    std::shared_ptr<LibraryLock> lock;
    for (;;) {
        while (mayGrow && somethingAt(splitLibraryPath(path, static_cast<int>(paths.size()) + 1))) {
            paths.push_back(splitLibraryPath(path, static_cast<int>(paths.size()) + 1));
        }
        const auto left = std::max(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       deadline - std::chrono::steady_clock::now()),
                                   std::chrono::milliseconds{0});
        LockResult locked = LibraryLock::acquire(paths, left);
        if (!locked) {
            result.busy = locked.status == LockResult::Status::busy;
            result.failure = result.busy ? busyReason(wait) : std::move(locked.reason);
            result.path = locked.path;
            return result;
        }
        if (!mayGrow || !somethingAt(splitLibraryPath(path, static_cast<int>(paths.size()) + 1))) {
            lock = std::move(locked.lock);
            break;
        }
    }

    WritableLibrary first = openLockedForWriting(path, true, lock);
    if (!first) {
        result.failure = std::move(first.failure);
        result.unreadable = first.unreadable;
        return result;
    }
    std::unique_ptr<LibrarySet> set(new LibrarySet);
    set->path_ = path;
    set->mayGrow_ = mayGrow;
    set->wait_ = wait;
    set->members_.push_back(
        {path, std::move(first.session), 0, first.created, false, std::move(first.note)});
    // The libraries a set grew into before hold names too: a name is refused whichever library
    // of the set holds it.
    for (std::size_t i = 1; i < paths.size(); ++i) {
        WritableLibrary opened = openLockedForWriting(paths[i], false, lock);
        if (!opened) break;
        set->members_.push_back(
            {paths[i], std::move(opened.session), 0, false, false, std::move(opened.note)});
    }
    result.set = std::move(set);
    return result;
}

std::vector<std::string> LibrarySet::names() const {
    std::vector<std::string> names;
    for (const Member& member : members_) {
        for (const auto& component : member.session->library()->components()) {
            names.push_back(component->displayName());
        }
    }
    return names;
}

bool LibrarySet::holdsName(const std::string& name, std::string& holder) const {
    const std::string folded = foldedName(name);
    for (const Member& member : members_) {
        for (const auto& component : member.session->library()->components()) {
            if (foldedName(component->displayName()) == folded) {
                holder = member.path;
                return true;
            }
        }
    }
    return false;
}

LibrarySet::Placement LibrarySet::place(const Component& component) {
    Placement placement;
    if (holdsName(component.displayName(), placement.path)) {
        placement.outcome = Placement::Outcome::duplicate;
        return placement;
    }
    while (true) {
        Member& member = members_[current_];
        if (member.session->copyIn(component) == CopyVerdict::allowed) {
            ++member.added;
            placement.path = member.path;
            return placement;
        }
        if (!mayGrow_) {
            placement.outcome = Placement::Outcome::full;
            placement.path = member.path;
            return placement;
        }
        if (current_ + 1 == members_.size()) {
            const std::string next = splitLibraryPath(path_, static_cast<int>(members_.size()) + 1);
            WritableLibrary opened = openForWriting(next, true, wait_);
            if (!opened) {
                placement.outcome = Placement::Outcome::unopenable;
                placement.path = next;
                placement.failure = std::move(opened.failure);
                return placement;
            }
            members_.push_back({next, std::move(opened.session), 0, opened.created, false,
                                std::move(opened.note)});
        }
        ++current_;
    }
}

SaveResult LibrarySet::check(std::string& failedPath) const {
    for (const Member& member : members_) {
        if (member.added == 0) continue;
        if (SaveResult writable = member.session->library()->checkWritable(); !writable) {
            failedPath = member.path;
            return writable;
        }
    }
    return SaveResult::success();
}

SaveResult LibrarySet::write(std::string& failedPath) {
    if (SaveResult writable = check(failedPath); !writable) return writable;
    // One save of them all: every library is asked and every new file written before any
    // replaces its old one, so a refusal or failure anywhere leaves all of them as they were.
    std::vector<LibrarySession*> changed;
    for (Member& member : members_) {
        if (member.added != 0) changed.push_back(member.session.get());
    }
    SessionSave saved = LibrarySession::saveTogether(changed, wait_);
    if (!saved) {
        failedPath = saved.path;
        return saved;
    }
    for (Member& member : members_) member.written = member.added != 0;
    return saved;
}
