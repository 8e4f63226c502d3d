#include "library_session.h"

#include "library.h"
#include "library_format.h"
#include "staged_writes.h"

#include <filesystem>
#include <system_error>

LibrarySession::LibrarySession(WritePolicy policy) : policy_(policy) {}

LibrarySession::~LibrarySession() = default;

bool LibrarySession::open(const std::string& path, NameList& names) {
    return openWith(path, &names);
}

bool LibrarySession::open(const std::string& path) { return openWith(path, nullptr); }

bool LibrarySession::openWith(const std::string& path, NameList* names) {
    path_ = path;
    // The old library goes before the new one is read, so that two never coexist.
    library_.reset();
    // Stamped before it is read, so that a change in between shows at the next save as a
    // change rather than going unnoticed.
    const std::optional<FileStamp> stamp = stampFile(path_);
    library_ = std::make_unique<Library>();
    readAsLibrary_ = names ? library_->load(path_, *names) : library_->load(path_);
    modified_ = false;
    // A file that did not read as a library may be anybody's, so it is not claimed.
    claimed_ = readAsLibrary_;
    claimedStamp_ = readAsLibrary_ ? stamp : std::nullopt;
    claimedBySave_ = false;
    return readAsLibrary_;
}

void LibrarySession::startEmpty() {
    library_ = std::make_unique<Library>();
    readAsLibrary_ = false;
    modified_ = false;
    claimed_ = false;
    claimedStamp_.reset();
}

void LibrarySession::setPath(std::string path) {
    path_ = std::move(path);
    readAsLibrary_ = false;
    claimed_ = false;
    claimedStamp_.reset();
}

void LibrarySession::clear() {
    library_ = std::make_unique<Library>();
    modified_ = true;
}

void LibrarySession::close() { library_.reset(); }

bool LibrarySession::remove(const Component* component) {
    if (!library_ || !library_->remove(component)) return false;
    modified_ = true;
    return true;
}

std::size_t LibrarySession::componentCount() const { return library_ ? library_->size() : 0; }

bool LibrarySession::full() const { return library_ && !hasRoomForCopy(library_->size()); }

CopyVerdict LibrarySession::copyIn(const Component& component, NameList& names) {
    return copyInWith(component, &names);
}

CopyVerdict LibrarySession::copyIn(const Component& component) {
    return copyInWith(component, nullptr);
}

CopyVerdict LibrarySession::copyInWith(const Component& component, NameList* names) {
    if (!library_) startEmpty();
    const CopyVerdict verdict = checkCopy(*library_, component);
    if (verdict != CopyVerdict::allowed) return verdict;
    if (names) {
        library_->addCopy(component, *names);
    } else {
        library_->addCopy(component);
    }
    modified_ = true;
    return verdict;
}

bool LibrarySession::refusesToWrite() const {
    if (!library_ || path_.empty()) return true;
    return policy_ == WritePolicy::onlyOverLibraryFile && !readAsLibrary_;
}

LibrarySession::SaveQuestion LibrarySession::questionBeforeSave() {
    seenStamp_.reset();
    std::error_code error;
    if (path_.empty() || !std::filesystem::is_regular_file(path_, error)) {
        return SaveQuestion::none;
    }
    seenStamp_ = stampFile(path_);
    if (claimed_) {
        return seenStamp_ == claimedStamp_ ? SaveQuestion::none : SaveQuestion::changedOnDisk;
    }
    // One that cannot be read is not known to be a library either.
    const auto header = readFilePrefix(path_, kHeaderSize);
    return header && hasLibrarySignature(*header) ? SaveQuestion::replaceExisting
                                                  : SaveQuestion::replaceNonLibrary;
}

void LibrarySession::allowReplacing() {
    claimed_ = true;
    claimedStamp_ = seenStamp_;
    claimedBySave_ = false;
}

LockResult LibrarySession::lockForWriting(std::chrono::milliseconds wait) {
    if (lock_) {
        LockResult held;
        held.status = LockResult::Status::locked;
        held.path = path_;
        return held;
    }
    LockResult result = LibraryLock::acquire({path_}, wait);
    lock_ = std::move(result.lock);
    return result;
}

void LibrarySession::unlock() { lock_.reset(); }

namespace {

SessionSave failed(std::string reason, std::string path) {
    SessionSave result;
    result.reason = std::move(reason);
    result.path = std::move(path);
    return result;
}

SessionSave fromFile(SaveResult saved, const std::string& path = {}) {
    SessionSave result;
    static_cast<SaveResult&>(result) = std::move(saved);
    if (!result && result.path.empty()) result.path = path;
    return result;
}

}  // namespace

/// What the session must not write over now, as a failed save; none when it may write.
std::optional<SessionSave> LibrarySession::refusalBeforeWriting() {
    switch (questionBeforeSave()) {
        case SaveQuestion::none:
            return std::nullopt;
        case SaveQuestion::changedOnDisk: {
            SessionSave result =
                failed(std::string("was changed by another program since it was ") +
                           (claimedBySave_ ? "last saved" : "opened") + ", so it was left as it is",
                       path_);
            result.changed = true;
            return result;
        }
        case SaveQuestion::replaceExisting:
        case SaveQuestion::replaceNonLibrary:
            break;
    }
    return failed("already exists and was not chosen to be replaced, so it was left as it is",
                  path_);
}

SessionSave LibrarySession::refusalToSave() {
    if (!library_) return failed("there is no library to write", path_);
    if (path_.empty()) return failed("no file has been chosen for the library", path_);
    if (refusesToWrite()) {
        return failed("could not be read as a library file, so it was left as it is", path_);
    }
    if (auto refusal = refusalBeforeWriting()) return *refusal;
    return fromFile(SaveResult::success());
}

SaveResult LibrarySession::checkSave() { return refusalToSave(); }

void LibrarySession::markSaved() {
    modified_ = false;
    // What is there now is what this session wrote.
    claimed_ = true;
    claimedStamp_ = stampFile(path_);
    claimedBySave_ = true;
}

SessionSave LibrarySession::save(std::chrono::milliseconds wait) {
    return saveTogether({this}, wait);
}

SessionSave LibrarySession::saveTogether(const std::vector<LibrarySession*>& sessions,
                                         std::chrono::milliseconds wait) {
    // Every lock is given back however this ends, also those taken before.
    struct Unlock {
        const std::vector<LibrarySession*>& sessions;
        ~Unlock() {
            for (LibrarySession* session : sessions) session->unlock();
        }
    } unlockAtEnd{sessions};

    std::vector<std::string> unlocked;
    for (LibrarySession* session : sessions) {
        if (session->library_ && !session->path_.empty() && !session->lock_) {
            unlocked.push_back(session->path_);
        }
    }
    LockResult locked = LibraryLock::acquire(unlocked, wait);
    if (!locked) {
        SessionSave result = failed(locked.reason, locked.path);
        result.busy = locked.status == LockResult::Status::busy;
        return result;
    }

    std::vector<std::vector<std::uint8_t>> images(sessions.size());
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        LibrarySession& session = *sessions[i];
        if (SessionSave allowed = session.refusalToSave(); !allowed) return allowed;
        if (SaveResult built = session.library_->buildImage(images[i]); !built) {
            return fromFile(std::move(built), session.path_);
        }
    }
    StagedWrites writes;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        if (!writes.stage(sessions[i]->path_, images[i])) return fromFile(writes.failure());
    }
    // Looked at again with the new files ready beside the old ones, so that a file another
    // program put there meanwhile (not every program takes the lock) is still found.
    for (LibrarySession* session : sessions) {
        if (auto refusal = session->refusalBeforeWriting()) return *refusal;
    }
    SessionSave result = fromFile(writes.commit());
    if (!result) return result;
    for (LibrarySession* session : sessions) session->markSaved();
    return result;
}

std::string LibrarySession::fileName() const {
    std::string name = path_.substr(path_.rfind('/') + 1);
    if (!path_.empty() && name.find('.') == std::string::npos) name += ".LIB";
    return name;
}
