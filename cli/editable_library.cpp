#include "editable_library.h"

#include "name_list.h"

#include <cerrno>
#include <sys/stat.h>

EditableLibrary openForWriting(const std::string& path, bool createWhenMissing) {
    EditableLibrary result;
    struct stat info {};
    if (createWhenMissing && ::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        result.session = std::make_unique<LibrarySession>(LibrarySession::WritePolicy::anyFile);
        result.session->startEmpty();
        result.session->setPath(path);
        result.created = true;
        return result;
    }
    auto session =
        std::make_unique<LibrarySession>(LibrarySession::WritePolicy::onlyOverLibraryFile);
    PlainNameList names;
    if (!session->open(path, names)) {
        // Say why, in the same words as for a file only read.
        result.failure = readLibraryFile(path).failure;
        if (result.failure.what.empty()) result.failure = {"cannot be read", ExitStatus::Trouble};
        return result;
    }
    result.session = std::move(session);
    return result;
}

std::string errorText(std::string reason) {
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    if (reason.size() > 1 && reason[0] >= 'A' && reason[0] <= 'Z' &&
        !(reason[1] >= 'A' && reason[1] <= 'Z')) {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}
