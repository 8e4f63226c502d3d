// The least a listing of one folder can do, as a program of its own: walk the folder, open each
// entry, read its first 16 bytes, close it, and print the names that carry the signature. The
// floor that `cobble list` is timed against as a whole process.

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string folder = argv[1];
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return 1;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string path = folder + "/" + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        char header[16];
        if (::read(fd, header, sizeof header) == 16 &&
            std::memcmp(header + 3, "PCB 4 LIBRARY", 13) == 0) {
            std::printf("%s\n", path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
    return 0;
}
