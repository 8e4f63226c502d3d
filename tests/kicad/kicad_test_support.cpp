#include "kicad_test_support.h"

#include "library_file_builder.h"
#include "primitive_factory.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string runCommand(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

bool pcbnewAvailable() {
    static const bool available = [] {
        int status = -1;
        runCommand("/usr/bin/python3 -c 'import pcbnew'", status);
        return status == 0;
    }();
    return available;
}

CheckerRun runFootprintChecker(const std::filesystem::path& expectations) {
    CheckerRun run;
    run.output = runCommand(
        "/usr/bin/python3 " + shellQuoted(KICAD_CHECKER) + ' ' + shellQuoted(expectations.string()),
        run.status);
    return run;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::unique_ptr<Library> awkwardLibrary() {
    LibraryFileBuilder file;
    std::size_t slot = 0;
    std::size_t record = 401;
    auto add = [&](DirectoryEntry entry, const std::vector<Primitive>& primitives) {
        entry.setPrimitiveCount(static_cast<std::int32_t>(primitives.size()));
        entry.setFirstRecordIndex(static_cast<std::int32_t>(record));
        file.slot(slot++, entry);
        for (const Primitive& p : primitives) {
            file.primitive(record, p);
            record += p.recordLength() / 16;
        }
    };
    auto named = [](std::string_view bytes) {
        DirectoryEntry entry = makeEntry("X");
        entry.bytes[2] = static_cast<std::uint8_t>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), entry.bytes.begin() + 3);
        return entry;
    };

    add(makeEntry("EMPTY"), {});
    add(makeEntry("FLAT"), {makeTrack(7, 10, -50, 10, 50, 0)});
    add(makeEntry("EXTREMES"),
        {makePad(13, -32768, 32767, 32767, -32768, 3), makePad(1, 32767, -32768, -32768, 32767, 2),
         makeTrack(11, -32768, -32768, 32767, 32767, 255),
         makeArc(7, -32768, 32767, -32768, 15, 255), makeArc(8, 32767, -32768, 32767, 6, 0),
         makeFill(9, -32768, -32768, 32767, 32767), makeVia(13, 32767, 32767, 255, 254),
         makeString(7, 32767, -32768, 1200, 255, 2, "MAX")});
    add(named("\xC4\xD6\xDC\xE9\xFF\x80"), {makePad(13, 0, 0, 60, 60, 1)});
    add(named(std::string_view("AB\0CD", 5)), {makePad(1, 0, 0, 60, 30, 4)});
    add(named("A\"B/C\\D:E*?|"), {makeTrack(7, 0, 0, 100, 0, 10)});
    add(makeEntry("abc"), {makePad(13, 0, 0, 60, 60, 3)});
    add(makeEntry("ABC"), {makePad(13, 0, 0, 80, 40, 3)});
    add(named(""), {makeVia(1, 0, 0, 40, 20)});
    add(makeEntry("CON"), {makeFill(7, 0, 0, 10, 10)});
    add(makeEntry("ODD FIELDS"),
        {makePad(13, 0, 0, 60, 60, 0),
         makePad(13, 100, 0, 60, 60, 5),
         makePad(13, 200, 0, -60, -40, 2),
         makePad(1, 300, 0, 0, 40, 2),
         makePad(0, 400, 0, 60, 60, 1),
         makePad(14, 500, 0, 60, 60, 1),
         makePad(7, 600, 0, 60, 60, 2),
         makePad(3, 700, 0, 60, 60, 2),
         makePad(6, 800, 0, 70, 40, 3),
         makePad(13, 900, 0, 4, 4, 3),
         makePad(1, 1000, 0, 5, 3, 4),
         makeArc(7, 0, 200, -50, 1, 5),
         makeArc(7, 100, 200, 50, 0, 5),
         makeArc(7, 200, 200, 50, 9, 5),
         makeArc(7, 300, 200, 50, 5, 5),
         makeArc(7, 400, 200, 0, 15, 5),
         makeArc(200, 500, 200, 50, 15, 5),
         makeArc(10, 600, 200, 50, 0xF7, 5),
         makeFill(7, 0, 300, 0, 400),
         makeString(7, 0, 500, 60, 8, 0, std::string_view("A\x01\x7F\xC1\"\\~{x}", 10)),
         makeString(7, 0, 600, 60, 8, 5, "PILE"),
         makeString(7, 0, 700, -60, 8, 1, "NEG"),
         makeString(7, 0, 800, 3, 8, 0, "TINY"),
         makeString(7, 0, 900, 60, 8, 0, "\x01\x02"),
         makeString(12, 0, 1000, 60, 0, 19, "M19"),
         makeString(8, 0, 1100, 60, 8, 17, "M17"),
         makeVia(1, 0, 1200, 0, 0),
         makeVia(1, 100, 1200, 30, 0),
         makeVia(200, 200, 1200, 30, 40),
         makeTrack(200, 0, 1300, 10, 1300, 5),
         makeTrack(13, 0, 1400, 0, 1400, 5)});
    // A String whose length byte claims more characters than its record holds.
    {
        Primitive s = makeString(7, 0, 0, 60, 8, 0, "THIRTEENCHARS");
        auto bytes = s.bytes();
        bytes[18] = 200;
        add(makeEntry("LONG TEXT"),
            {Primitive(std::span<const std::uint8_t, 16>(bytes.data(), 16),
                       std::span<const std::uint8_t, 16>(bytes.data() + 16, 16))});
    }

    auto library = std::make_unique<Library>();
    library->loadImage(file.bytes());
    return library;
}
