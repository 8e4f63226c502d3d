#include "svg_canvas.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Pixel (x, y) is the square from (x, y) to (x + 1, y + 1). QPainter without antialiasing
// centres a stroke of odd width on the middle of the pixel at its integer point and one of even
// width on the pixel's top left corner, so either covers whole pixels; fills of rectangles are
// bounded by pixel edges.
constexpr double kCentre = 0.5;

void appendNumber(std::string& out, double value) {
    // Three decimals are finer than any pixel rule; trailing zeros are dropped so whole and half
    // pixels read plainly.
    const double rounded = std::round(value * 1000.0) / 1000.0;
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      rounded == 0.0 ? 0.0 : rounded, std::chars_format::fixed, 3);
    std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    while (text.back() == '0') text.remove_suffix(1);
    if (text.back() == '.') text.remove_suffix(1);
    out += text;
}

void appendNumber(std::string& out, std::int32_t value) {
    std::array<char, 16> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

void appendAttribute(std::string& out, const char* name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendNumber(out, value);
    out += '"';
}

void appendColour(std::string& out, const char* name, Rgb colour) {
    constexpr std::string_view kHex = "0123456789abcdef";
    out += ' ';
    out += name;
    out += "=\"#";
    for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(colour >> shift) & 0xF];
    out += '"';
}

PixelRect normalised(const PixelRect& box) {
    PixelRect r = box;
    if (r.right < r.left) std::swap(r.left, r.right);
    if (r.bottom < r.top) std::swap(r.top, r.bottom);
    return r;
}

/// The direction of the ray from (cx, cy) through `p`, in radians counter-clockwise from the
/// positive x axis as seen on the panel (whose y grows downward).
double rayAngle(double cx, double cy, PixelPoint p) { return std::atan2(cy - p.y, p.x - cx); }

}  // namespace

SvgCanvas::SvgCanvas(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

void SvgCanvas::fillRect(const PixelRect& rect, Rgb colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    body_ += "<rect";
    appendAttribute(body_, "x", rect.left);
    appendAttribute(body_, "y", rect.top);
    appendAttribute(body_, "width", static_cast<double>(rect.right) - rect.left);
    appendAttribute(body_, "height", static_cast<double>(rect.bottom) - rect.top);
    appendColour(body_, "fill", colour);
    // Said outright: some renderers give a rectangle a stroke of their own otherwise.
    body_ += " stroke=\"none\"/>\n";
}

Pen SvgCanvas::selectPen(const Pen& pen) { return std::exchange(pen_, pen); }

Brush SvgCanvas::selectBrush(const Brush& brush) { return std::exchange(brush_, brush); }

std::int32_t SvgCanvas::strokeWidth() const {
    return pen_.kind == PenKind::Line && pen_.width > 0 ? pen_.width : 1;
}

double SvgCanvas::strokeOffset() const { return strokeWidth() % 2 == 1 ? kCentre : 0.0; }

void SvgCanvas::appendStroke(std::string& out) const {
    appendColour(out, "stroke", pen_.colour);
    const bool line = pen_.kind == PenKind::Line;
    appendAttribute(out, "stroke-width", strokeWidth());
    if (line) out += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
}

void SvgCanvas::ellipse(const PixelRect& box) {
    const PixelRect r = normalised(box);
    if (r.right == r.left || r.bottom == r.top) return;
    // The outline's outer edge lies on the box, so the figure covers its columns left to
    // right - 1, as the raster canvas draws it.
    const double inset = pen_.kind == PenKind::Line && pen_.width > 1 ? pen_.width / 2.0 : kCentre;
    body_ += "<ellipse";
    appendAttribute(body_, "cx", (static_cast<double>(r.left) + r.right) / 2);
    appendAttribute(body_, "cy", (static_cast<double>(r.top) + r.bottom) / 2);
    appendAttribute(body_, "rx",
                    std::max((static_cast<double>(r.right) - r.left) / 2 - inset, 0.0));
    appendAttribute(body_, "ry",
                    std::max((static_cast<double>(r.bottom) - r.top) / 2 - inset, 0.0));
    appendColour(body_, "fill", brush_.colour);
    appendStroke(body_);
    body_ += "/>\n";
}

void SvgCanvas::polygon(std::span<const PixelPoint> points) {
    const double offset = strokeOffset();
    body_ += "<polygon points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) body_ += ' ';
        appendNumber(body_, points[i].x + offset);
        body_ += ',';
        appendNumber(body_, points[i].y + offset);
    }
    body_ += '"';
    appendColour(body_, "fill", brush_.colour);
    appendStroke(body_);
    body_ += "/>\n";
}

void SvgCanvas::arc(const PixelRect& box, PixelPoint start, PixelPoint end) {
    const PixelRect r = normalised(box);
    if (r.right == r.left || r.bottom == r.top) return;
    const double cx = (static_cast<double>(r.left) + r.right) / 2;
    const double cy = (static_cast<double>(r.top) + r.bottom) / 2;
    const double rx = (static_cast<double>(r.right) - r.left) / 2;
    const double ry = (static_cast<double>(r.bottom) - r.top) / 2;
    const double offset = strokeOffset();
    const double from = rayAngle(cx, cy, start);
    double span = rayAngle(cx, cy, end) - from;
    constexpr double kTurn = 2 * std::numbers::pi;
    while (span <= 0) span += kTurn;
    while (span > kTurn) span -= kTurn;

    auto appendPoint = [&](double angle) {
        appendNumber(body_, cx + offset + rx * std::cos(angle));
        body_ += ' ';
        appendNumber(body_, cy + offset - ry * std::sin(angle));
    };
    // Counter-clockwise on the panel is the negative sense of SVG's y-down coordinates: sweep
    // flag 0. A whole turn needs two half arcs, as one arc cannot end where it starts.
    auto appendArcTo = [&](double angle, bool large) {
        body_ += " A ";
        appendNumber(body_, rx);
        body_ += ' ';
        appendNumber(body_, ry);
        body_ += large ? " 0 1 0 " : " 0 0 0 ";
        appendPoint(angle);
    };
    body_ += "<path d=\"M ";
    appendPoint(from);
    const bool whole = span >= kTurn - 1e-9;
    if (whole) {
        appendArcTo(from + kTurn / 2, false);
        appendArcTo(from, false);
    } else {
        appendArcTo(from + span, span > std::numbers::pi);
    }
    body_ += "\" fill=\"none\"";
    appendStroke(body_);
    body_ += "/>\n";
}

void SvgCanvas::moveTo(PixelPoint point) { position_ = point; }

void SvgCanvas::lineTo(PixelPoint point) {
    // A path rather than a line element: renderers draw the round dot of a zero-length path.
    const double offset = strokeOffset();
    body_ += "<path d=\"M ";
    appendNumber(body_, position_.x + offset);
    body_ += ' ';
    appendNumber(body_, position_.y + offset);
    body_ += " L ";
    appendNumber(body_, point.x + offset);
    body_ += ' ';
    appendNumber(body_, point.y + offset);
    body_ += "\" fill=\"none\"";
    appendStroke(body_);
    body_ += "/>\n";
    position_ = point;
}

std::string SvgCanvas::document() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
    appendAttribute(out, "width", width_);
    appendAttribute(out, "height", height_);
    out += " viewBox=\"0 0 ";
    appendNumber(out, width_);
    out += ' ';
    appendNumber(out, height_);
    out += "\" shape-rendering=\"crispEdges\">\n";
    out += body_;
    out += "</svg>\n";
    return out;
}
