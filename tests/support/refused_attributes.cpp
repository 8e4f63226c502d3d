#include "refused_attributes.h"

#include "staged_writes.h"

#include <atomic>
#include <string>
#include <sys/xattr.h>

namespace {

constexpr std::size_t kLargeSize = 2000;
/// The largest value the system takes at all; enough of them fill any file system's room.
constexpr std::size_t kFillerSize = 65536;
constexpr int kMostFillers = 64;

std::atomic<bool> allFilled = true;

void fillAttributeRoom(const std::string& path) {
    const std::string filler(kFillerSize, 'f');
    const std::string large(kLargeSize, 'l');
    for (int i = 0; i < kMostFillers; ++i) {
        // Full once not even one large attribute more would fit.
        if (::setxattr(path.c_str(), "user.probe", large.data(), large.size(), 0) != 0) return;
        ::removexattr(path.c_str(), "user.probe");
        const std::string name = "user.filler" + std::to_string(i);
        std::size_t size = kFillerSize;
        while (size >= 64 && ::setxattr(path.c_str(), name.c_str(), filler.data(), size, 0) != 0) {
            size /= 2;
        }
    }
    allFilled = false;
}

}  // namespace

bool giveLargeAttribute(const std::filesystem::path& file) {
    const std::string large(kLargeSize, 'l');
    return ::setxattr(file.c_str(), "user.large", large.data(), large.size(), 0) == 0;
}

RefusedAttributes::RefusedAttributes() {
    allFilled = true;
    setTemporaryCreationHook(fillAttributeRoom);
}

RefusedAttributes::~RefusedAttributes() { setTemporaryCreationHook(nullptr); }

bool RefusedAttributes::filled() { return allFilled; }
