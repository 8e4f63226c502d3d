#include "console.h"

#include <algorithm>
#include <string>

std::string components(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " component" : " components");
}

void Console::error(std::string_view file, std::string_view what) const {
    if (progressLine) progressLine->wipe();
    err << "cobble: " << file << ": " << what << '\n';
}

void Console::error(std::string_view what) const {
    if (progressLine) progressLine->wipe();
    err << "cobble: " << what << '\n';
}

void ProgressLine::draw(const std::string& text) {
    // Blanks over the rest of a longer line shown before.
    const std::size_t pad = width_ > text.size() ? width_ - text.size() : 0;
    err_ << '\r' << text << std::string(pad, ' ') << std::flush;
    width_ = std::max(width_, text.size());
}

void ProgressLine::wipe() {
    if (width_ == 0) return;
    err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
}

SharedTerminalBuffer::int_type SharedTerminalBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    line_.wipe();
    return target_.sputc(traits_type::to_char_type(c));
}

std::streamsize SharedTerminalBuffer::xsputn(const char* text, std::streamsize count) {
    if (count > 0) line_.wipe();
    return target_.sputn(text, count);
}

int SharedTerminalBuffer::sync() { return target_.pubsync(); }

Progress::Progress(const Console& console, std::size_t total, std::string noun)
    : console_(console), total_(total), noun_(std::move(noun)), own_(console.err) {}

Progress::~Progress() { line().wipe(); }

void Progress::show(std::size_t done) {
    if (!console_.errIsTerminal) return;
    // What was written so far reaches the terminal before the counter is drawn below it.
    console_.out.flush();
    line().draw(std::to_string(done) + "/" + std::to_string(total_) + " " + noun_);
}
