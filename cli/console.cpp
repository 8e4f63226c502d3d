#include "console.h"

#include <string>

std::string components(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " component" : " components");
}

void Console::error(std::string_view file, std::string_view what) const {
    err << "cobble: " << file << ": " << what << '\n';
}

void Console::error(std::string_view what) const { err << "cobble: " << what << '\n'; }

Progress::Progress(const Console& console, std::size_t total, std::string noun)
    : console_(console), total_(total), noun_(std::move(noun)) {}

Progress::~Progress() {
    if (shownWidth_ == 0) return;
    console_.err << '\r' << std::string(shownWidth_, ' ') << '\r' << std::flush;
}

void Progress::show(std::size_t done) {
    if (!console_.errIsTerminal) return;
    const std::string line = std::to_string(done) + "/" + std::to_string(total_) + " " + noun_;
    // Blanks over the rest of a longer line shown before.
    const std::size_t pad = shownWidth_ > line.size() ? shownWidth_ - line.size() : 0;
    console_.err << '\r' << line << std::string(pad, ' ') << std::flush;
    shownWidth_ = std::max(shownWidth_, line.size());
}
