#include "library_session.h"

#include "library.h"

LibrarySession::LibrarySession(WritePolicy policy) : policy_(policy) {}

LibrarySession::~LibrarySession() = default;

bool LibrarySession::open(const std::string& path, NameList& names) {
    path_ = path;
    // The old library goes before the new one is read, so that two never coexist.
    library_.reset();
    library_ = std::make_unique<Library>();
    readAsLibrary_ = library_->load(path_, names);
    modified_ = false;
    return readAsLibrary_;
}

void LibrarySession::startEmpty() {
    library_ = std::make_unique<Library>();
    readAsLibrary_ = false;
    modified_ = false;
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

CopyVerdict LibrarySession::copyIn(const Component& component, std::size_t destinationCount,
                                   NameList& names) {
    if (!library_) startEmpty();
    const CopyVerdict verdict = checkCopy(destinationCount, *library_, component);
    if (verdict != CopyVerdict::allowed) return verdict;
    library_->addCopy(component, names);
    modified_ = true;
    return verdict;
}

bool LibrarySession::refusesToWrite() const {
    if (!library_ || path_.empty()) return true;
    return policy_ == WritePolicy::onlyOverLibraryFile && !readAsLibrary_;
}

SaveResult LibrarySession::save() {
    if (!library_) return SaveResult::failure("There is no library to write.");
    if (path_.empty()) return SaveResult::failure("No file has been chosen for the library.");
    if (refusesToWrite()) {
        return SaveResult::failure("\"" + path_ +
                                   "\" could not be read as a library file, so it was left as "
                                   "it is.");
    }
    SaveResult result = library_->save(path_);
    if (result) modified_ = false;
    return result;
}

std::string LibrarySession::fileName() const {
    std::string name = path_.substr(path_.rfind('/') + 1);
    if (!path_.empty() && name.find('.') == std::string::npos) name += ".LIB";
    return name;
}
