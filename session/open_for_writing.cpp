#include "open_for_writing.h"

#include "library_file_scan.h"
#include "name_list.h"

#include <cerrno>
#include <sys/stat.h>

WritableLibrary openForWriting(const std::string& path, bool createWhenMissing) {
    WritableLibrary result;
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
        LibraryFileProblem problem = findLibraryFileProblem(path);
        // A file that passed the look at its header and still did not load went away or
        // changed in between, or could not be read whole.
        if (problem.what.empty()) problem = {"cannot be read", true};
        result.failure = std::move(problem.what);
        result.unreadable = problem.unreadable;
        return result;
    }
    result.session = std::move(session);
    return result;
}
