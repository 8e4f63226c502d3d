#include "picture_module.h"

#include <dlfcn.h>
#include <limits.h>
#include <string>
#include <unistd.h>

namespace {

/// The folder of the running program, with a final slash; empty when the system does not say.
std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/') + 1);
}

/// The module's handle, loaded on first use: beside the program (a build folder), else where
/// the installation puts it relative to the program. Null, with `why` set, when neither loads.
void* module(std::string& why) {
    static void* handle = nullptr;
    static std::string failure;
    if (handle || !failure.empty()) {
        why = failure;
        return handle;
    }
    const std::string folder = programFolder();
    for (const std::string& path : {folder + PICTURE_MODULE_NAME,
                                    folder + PICTURE_MODULE_FROM_PROGRAM "/" PICTURE_MODULE_NAME}) {
        if (::access(path.c_str(), F_OK) != 0) continue;
        handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle) return handle;
        failure = ::dlerror();
    }
    if (failure.empty()) {
        failure = PICTURE_MODULE_NAME
            " is neither beside the program nor in its " PICTURE_MODULE_FROM_PROGRAM " folder";
    }
    why = failure;
    return nullptr;
}

template <class Options>
ExitStatus runInModule(const char* entry, const Options& options, const Console& console) {
    using Entry = int (*)(const Options*, const Console*);
    std::string why;
    void* handle = module(why);
    void* found = handle ? ::dlsym(handle, entry) : nullptr;
    if (!found) {
        console.error("cannot draw: the drawing module did not load: " +
                      (handle ? std::string(::dlerror()) : why));
        return ExitStatus::Trouble;
    }
    return static_cast<ExitStatus>(reinterpret_cast<Entry>(found)(&options, &console));
}

}  // namespace

ExitStatus renderThroughModule(const RenderOptions& options, const Console& console) {
    return runInModule(kRenderEntry, options, console);
}

ExitStatus thumbnailThroughModule(const ThumbnailOptions& options, const Console& console) {
    return runInModule(kThumbnailEntry, options, console);
}
