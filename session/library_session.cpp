#include "library_session.h"

#include "library.h"
#include "library_format.h"

#include <filesystem>
#include <system_error>

LibrarySession::LibrarySession(WritePolicy policy) : policy_(policy) {}

LibrarySession::~LibrarySession() = default;

bool LibrarySession::open(const std::string& path, NameList& names) {
    path_ = path;
    // The old library goes before the new one is read, so that two never coexist.
    library_.reset();
    // Stamped before it is read, so that a change in between shows at the next save as a
    // change rather than going unnoticed.
    const std::optional<FileStamp> stamp = stampFile(path_);
    library_ = std::make_unique<Library>();
    readAsLibrary_ = library_->load(path_, names);
    modified_ = false;
    // A file that did not read as a library may be anybody's, so it is not claimed.
    claimed_ = readAsLibrary_;
    claimedStamp_ = readAsLibrary_ ? stamp : std::nullopt;
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

bool LibrarySession::full() const { return library_ && !hasRoomForCopy(library_->size()); }

CopyVerdict LibrarySession::copyIn(const Component& component, NameList& names) {
    if (!library_) startEmpty();
    const CopyVerdict verdict = checkCopy(*library_, component);
    if (verdict != CopyVerdict::allowed) return verdict;
    library_->addCopy(component, names);
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
}

SaveResult LibrarySession::checkSave() {
    if (!library_) return SaveResult::failure("There is no library to write.");
    if (path_.empty()) return SaveResult::failure("No file has been chosen for the library.");
    const std::string quoted = "\"" + path_ + "\"";
    if (refusesToWrite()) {
        return SaveResult::failure(quoted +
                                   " could not be read as a library file, so it was left as it "
                                   "is.");
    }
    switch (questionBeforeSave()) {
        case SaveQuestion::none:
            break;
        case SaveQuestion::changedOnDisk:
            return SaveResult::failure(quoted +
                                       " was changed by another program since it was opened, so "
                                       "it was left as it is.");
        case SaveQuestion::replaceExisting:
        case SaveQuestion::replaceNonLibrary:
            return SaveResult::failure(quoted +
                                       " already exists and was not chosen to be replaced, so it "
                                       "was left as it is.");
    }
    return SaveResult::success();
}

void LibrarySession::markSaved() {
    modified_ = false;
    // What is there now is what this session wrote.
    claimed_ = true;
    claimedStamp_ = stampFile(path_);
}

SaveResult LibrarySession::save() {
    if (SaveResult allowed = checkSave(); !allowed) return allowed;
    SaveResult result = library_->save(path_);
    if (result) markSaved();
    return result;
}

std::string LibrarySession::fileName() const {
    std::string name = path_.substr(path_.rfind('/') + 1);
    if (!path_.empty() && name.find('.') == std::string::npos) name += ".LIB";
    return name;
}
