#include "library_text.h"

#include "byte_order.h"
#include "library_check.h"
#include "library_format.h"
#include "name_rules.h"
#include "record_layout.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <new>
#include <optional>

namespace {

constexpr std::string_view kHeadWord = "cobblestack_library";

/// How a field's byte or bytes read as a value.
enum class Coding {
    Signed16,     ///< two bytes, little-endian, with their sign
    Unsigned8,    ///< one byte, 0 to 255
    Layer,        ///< one byte, written as a layer word where it has one
    Shape,        ///< one byte, written as a Pad shape word where it has one
    Orientation,  ///< one byte, written as an orientation word where it has one
};

struct FieldLayout {
    std::string_view name;
    std::size_t offset;
    Coding coding;
};

constexpr FieldLayout kLayerField{"layer", primitive_offset::kLayer, Coding::Layer};

constexpr std::array kArcFields = {
    kLayerField,
    FieldLayout{"x", arc_offset::kX, Coding::Signed16},
    FieldLayout{"y", arc_offset::kY, Coding::Signed16},
    FieldLayout{"radius", arc_offset::kRadius, Coding::Signed16},
    FieldLayout{"quadrantFlags", arc_offset::kQuadrantFlags, Coding::Unsigned8},
    FieldLayout{"lineWidth", arc_offset::kLineWidth, Coding::Unsigned8},
};
constexpr std::array kFillFields = {
    kLayerField,
    FieldLayout{"x1", fill_offset::kX1, Coding::Signed16},
    FieldLayout{"y1", fill_offset::kY1, Coding::Signed16},
    FieldLayout{"x2", fill_offset::kX2, Coding::Signed16},
    FieldLayout{"y2", fill_offset::kY2, Coding::Signed16},
};
constexpr std::array kPadFields = {
    kLayerField,
    FieldLayout{"x", pad_offset::kX, Coding::Signed16},
    FieldLayout{"y", pad_offset::kY, Coding::Signed16},
    FieldLayout{"xSize", pad_offset::kXSize, Coding::Signed16},
    FieldLayout{"ySize", pad_offset::kYSize, Coding::Signed16},
    FieldLayout{"shape", pad_offset::kShape, Coding::Shape},
};
constexpr std::array kTrackFields = {
    kLayerField,
    FieldLayout{"x1", track_offset::kX1, Coding::Signed16},
    FieldLayout{"y1", track_offset::kY1, Coding::Signed16},
    FieldLayout{"x2", track_offset::kX2, Coding::Signed16},
    FieldLayout{"y2", track_offset::kY2, Coding::Signed16},
    FieldLayout{"width", track_offset::kWidth, Coding::Unsigned8},
};
// The text and its length follow these; they are not plain bytes.
constexpr std::array kStringFields = {
    kLayerField,
    FieldLayout{"x", string_offset::kX, Coding::Signed16},
    FieldLayout{"y", string_offset::kY, Coding::Signed16},
    FieldLayout{"height", string_offset::kHeight, Coding::Signed16},
    FieldLayout{"lineWidth", string_offset::kLineWidth, Coding::Unsigned8},
    FieldLayout{"orientation", string_offset::kOrientation, Coding::Orientation},
};
constexpr std::array kViaFields = {
    kLayerField,
    FieldLayout{"x", via_offset::kX, Coding::Signed16},
    FieldLayout{"y", via_offset::kY, Coding::Signed16},
    FieldLayout{"diameter", via_offset::kDiameter, Coding::Unsigned8},
    FieldLayout{"holeDiameter", via_offset::kHoleDiameter, Coding::Unsigned8},
};

std::span<const FieldLayout> fieldsOf(PrimitiveType kind) {
    switch (kind) {
        case PrimitiveType::Arc:
            return kArcFields;
        case PrimitiveType::Fill:
            return kFillFields;
        case PrimitiveType::Pad:
            return kPadFields;
        case PrimitiveType::Track:
            return kTrackFields;
        case PrimitiveType::String:
            return kStringFields;
        case PrimitiveType::Via:
            return kViaFields;
    }
    return {};
}

constexpr std::array kKinds = {PrimitiveType::Arc,   PrimitiveType::Fill,   PrimitiveType::Pad,
                               PrimitiveType::Track, PrimitiveType::String, PrimitiveType::Via};

// The words of the coded fields, by code; codes without a word are written as numbers.
constexpr std::array<std::string_view, 14> kLayerWords = {
    "",         "top",         "mid1",           "mid2",         "mid3",        "mid4",
    "bottom",   "top_overlay", "bottom_overlay", "ground_plane", "power_plane", "board",
    "keep_out", "multilayer"};
constexpr std::array<std::string_view, 5> kShapeWords = {"", "round", "rectangle", "octagon",
                                                         "rounded"};
constexpr std::array<std::pair<std::uint8_t, std::string_view>, 8> kOrientationWords = {{
    {0, "turn0"},
    {1, "turn90"},
    {2, "turn180"},
    {3, "turn270"},
    {16, "mirrored0"},
    {17, "mirrored90"},
    {18, "mirrored180"},
    {19, "mirrored270"},
}};

std::string_view wordOf(Coding coding, std::uint8_t code) {
    switch (coding) {
        case Coding::Layer:
            return code < kLayerWords.size() ? kLayerWords[code] : std::string_view();
        case Coding::Shape:
            return code < kShapeWords.size() ? kShapeWords[code] : std::string_view();
        case Coding::Orientation:
            for (const auto& [value, word] : kOrientationWords) {
                if (value == code) return word;
            }
            return {};
        case Coding::Signed16:
        case Coding::Unsigned8:
            break;
    }
    return {};
}

std::optional<std::uint8_t> codeOf(Coding coding, std::string_view word) {
    if (word.empty()) return std::nullopt;
    for (int code = 0; code <= 255; ++code) {
        if (wordOf(coding, static_cast<std::uint8_t>(code)) == word) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return std::nullopt;
}

/// The words of a coding, for a message: "top, mid1, ..., multilayer".
std::string wordsOf(Coding coding) {
    std::string words;
    for (int code = 0; code <= 255; ++code) {
        const std::string_view word = wordOf(coding, static_cast<std::uint8_t>(code));
        if (word.empty()) continue;
        if (!words.empty()) words += ", ";
        words += word;
    }
    return words;
}

std::string numberText(std::int64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    return std::string(digits.data(), end);
}

constexpr const char* kHexDigits = "0123456789abcdef";

void appendHex(std::string& out, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0xF];
    }
}

/// The text of one field's name or value, built without allocating: the writer builds one for
/// every field of every primitive. The longest is a quoted text of 13 escaped bytes.
class FieldText {
public:
    void add(char c) { data_[size_++] = c; }
    void add(std::string_view text) {
        std::copy(text.begin(), text.end(), data_.begin() + static_cast<std::ptrdiff_t>(size_));
        size_ += text.size();
    }
    void addNumber(std::int64_t value) {
        size_ = static_cast<std::size_t>(
            std::to_chars(data_.data() + size_, data_.data() + data_.size(), value).ptr -
            data_.data());
    }
    void addHexByte(std::uint8_t b) {
        add(kHexDigits[b >> 4]);
        add(kHexDigits[b & 0xF]);
    }
    /// `bytes` quoted: printable ASCII as it is, `"` and `\` escaped, every other code as `\xHH`.
    void addQuoted(std::span<const std::uint8_t> bytes) {
        add('"');
        for (const std::uint8_t b : bytes) {
            if (b == '"' || b == '\\') {
                add('\\');
                add(static_cast<char>(b));
            } else if (b >= 0x20 && b < 0x7F) {
                add(static_cast<char>(b));
            } else {
                add("\\x");
                addHexByte(b);
            }
        }
        add('"');
    }
    std::string_view view() const { return {data_.data(), size_}; }

private:
    std::array<char, 80> data_{};
    std::size_t size_ = 0;
};

FieldText fieldValue(const FieldLayout& layout, std::span<const std::uint8_t> bytes) {
    FieldText value;
    if (layout.coding == Coding::Signed16) {
        value.addNumber(signed16At(bytes, layout.offset));
        return value;
    }
    const std::uint8_t code = bytes[layout.offset];
    const std::string_view word = wordOf(layout.coding, code);
    if (word.empty()) {
        value.addNumber(code);
    } else {
        value.add(word);
    }
    return value;
}

/// The bytes of a record or an entry that no field interprets, one bit per byte offset.
using ByteMask = std::uint32_t;

constexpr ByteMask bytesFrom(std::size_t first, std::size_t end) {
    ByteMask mask = 0;
    for (std::size_t i = first; i < end; ++i) mask |= ByteMask{1} << i;
    return mask;
}

/// How many bytes of a 13-byte text field a length byte makes text.
std::size_t textBytes(std::int32_t lengthByte) {
    return std::min(static_cast<std::size_t>(lengthByte), kTextCapacity);
}

ByteMask carriedBytes(PrimitiveType kind, std::int32_t textLength) {
    switch (kind) {
        case PrimitiveType::Arc:
            return bytesFrom(arc_offset::kLineWidth + 1, kRecordSize);
        case PrimitiveType::Fill:
            return bytesFrom(fill_offset::kY2 + 2, kRecordSize);
        case PrimitiveType::Pad:
            return bytesFrom(pad_offset::kYSize + 2, pad_offset::kShape) |
                   bytesFrom(pad_offset::kShape + 1, kPrimitiveSize);
        case PrimitiveType::Track:
            return bytesFrom(track_offset::kWidth + 1, kRecordSize);
        case PrimitiveType::String:
            return bytesFrom(string_offset::kOrientation + 1, string_offset::kTextLength) |
                   bytesFrom(string_offset::kText + textBytes(textLength), kPrimitiveSize);
        case PrimitiveType::Via:
            return bytesFrom(via_offset::kHoleDiameter + 1, kRecordSize);
    }
    return 0;
}

ByteMask entryCarriedBytes(std::int32_t nameLength) {
    return bytesFrom(0, entry_offset::kNameLength) |
           bytesFrom(entry_offset::kName + textBytes(nameLength),
                     entry_offset::kName + kTextCapacity) |
           bytesFrom(entry_offset::kName + kTextCapacity, entry_offset::kPrimitiveCount) |
           bytesFrom(entry_offset::kFirstRecordIndex + 2, kSlotSize);
}

/// Hands each run of carried bytes that are not all zero to `emit` as a field, `carried OFFSET`
/// and its bytes in hexadecimal; runs are split where a second record starts.
template <typename Emit>
void visitCarriedRuns(ByteMask mask, std::span<const std::uint8_t> bytes, Emit&& emit) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (!(mask & (ByteMask{1} << i))) {
            ++i;
            continue;
        }
        const std::size_t first = i;
        do {
            ++i;
        } while (i < bytes.size() && i != kRecordSize && (mask & (ByteMask{1} << i)));
        const auto run = bytes.subspan(first, i - first);
        if (std::all_of(run.begin(), run.end(), [](std::uint8_t b) { return b == 0; })) continue;
        FieldText name;
        name.add("carried ");
        name.addNumber(static_cast<std::int64_t>(first));
        FieldText value;
        value.add('"');
        for (const std::uint8_t b : run) value.addHexByte(b);
        value.add('"');
        emit(name.view(), value.view());
    }
}

std::span<const std::uint8_t> significantBytes(const Primitive& p) {
    return {p.bytes().data(), p.recordLength()};
}

int compareRecords(const Primitive& a, const Primitive& b) {
    const auto x = significantBytes(a);
    const auto y = significantBytes(b);
    const int first = std::memcmp(x.data(), y.data(), std::min(x.size(), y.size()));
    if (first != 0) return first;
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

/// Hands each field of a primitive of a kept kind to `emit(name, value)`, in the order the text
/// writes them.
template <typename Emit>
void visitPrimitiveFields(const Primitive& primitive, Emit&& emit) {
    const PrimitiveType kind = *primitive.kind();
    const auto bytes = std::span<const std::uint8_t>(primitive.bytes());
    for (const FieldLayout& layout : fieldsOf(kind))
        emit(layout.name, fieldValue(layout, bytes).view());
    std::int32_t textLength = 0;
    if (kind == PrimitiveType::String) {
        const StringFields s = primitive.string();
        textLength = s.textLength;
        FieldText text;
        text.addQuoted(s.text);
        emit("text", text.view());
        if (static_cast<std::size_t>(textLength) > kTextCapacity) {
            FieldText length;
            length.addNumber(textLength);
            emit("textLength", length.view());
        }
    }
    visitCarriedRuns(carriedBytes(kind, textLength), significantBytes(primitive), emit);
}

template <typename Emit>
void visitEntryFields(const DirectoryEntry& entry, Emit&& emit) {
    if (static_cast<std::size_t>(entry.nameLength()) > kTextCapacity) {
        FieldText length;
        length.addNumber(entry.nameLength());
        emit("nameLength", length.view());
    }
    visitCarriedRuns(entryCarriedBytes(entry.nameLength()), entry.bytes, emit);
}

/// Appends ` (name value)`.
void appendField(std::string& out, std::string_view name, std::string_view value) {
    out += " (";
    out += name;
    out += ' ';
    out += value;
    out += ')';
}

void appendPrimitive(std::string& out, const Primitive& primitive) {
    out += '(';
    out += kindWord(*primitive.kind());
    visitPrimitiveFields(primitive, [&](std::string_view name, std::string_view value) {
        appendField(out, name, value);
    });
    out += ')';
}

// ---- Reading ----

// Thrown inside this file only and turned into the result's message by readLibraryText.
struct TextError {
    std::string message;
};

[[noreturn]] void failAt(const SexprNode& node, const std::string& what) {
    throw TextError{atSexprPlace(node.line, node.column, what)};
}

std::string elementName(const SexprNode& list) { return "(" + std::string(list.head()) + ")"; }

/// The one value of a field such as `(x 100)`.
const SexprNode& onlyValue(const SexprNode& field) {
    if (field.items.size() < 2) failAt(field, elementName(field) + " needs a value");
    if (field.items.size() > 2) {
        failAt(field.items[2], elementName(field) + " takes one value, not more");
    }
    return field.items[1];
}

bool isWholeNumberText(std::string_view text) {
    const std::size_t digits = !text.empty() && text.front() == '-' ? 1 : 0;
    return text.size() > digits &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

/// A whole number from `low` to `high` for the field headed `field`.
std::int32_t wholeNumber(const SexprNode& value, std::string_view field, std::int32_t low,
                         std::int32_t high) {
    if (!value.isNumber() || !isWholeNumberText(value.text)) {
        failAt(value, "(" + std::string(field) + ") needs a whole number, not " +
                          describeSexprNode(value, false));
    }
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(
        value.text.data(), value.text.data() + std::string(value.text).size(), number);
    if (error != std::errc() || number < low || number > high) {
        failAt(value, "(" + std::string(field) + ") is " + std::string(value.text) + ", outside " +
                          numberText(low) + " to " + numberText(high));
    }
    return static_cast<std::int32_t>(number);
}

void readField(const SexprNode& field, const FieldLayout& layout, std::span<std::uint8_t> bytes) {
    const SexprNode& value = onlyValue(field);
    if (layout.coding == Coding::Signed16) {
        putSigned16(bytes, layout.offset, wholeNumber(value, layout.name, -32768, 32767));
        return;
    }
    if (layout.coding != Coding::Unsigned8 && value.kind == SexprNode::Kind::Symbol) {
        const auto code = codeOf(layout.coding, value.text);
        if (!code) {
            failAt(value, elementName(field) + " needs one of " + wordsOf(layout.coding) +
                              " or a number 0 to 255, not " + describeSexprNode(value, false));
        }
        bytes[layout.offset] = *code;
        return;
    }
    bytes[layout.offset] = static_cast<std::uint8_t>(wholeNumber(value, layout.name, 0, 255));
}

std::string textOf(const SexprNode& field) {
    const SexprNode& value = onlyValue(field);
    if (value.kind != SexprNode::Kind::String) {
        failAt(value,
               elementName(field) + " needs a quoted text, not " + describeSexprNode(value, false));
    }
    return std::string(value.text);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// A `(carried OFFSET "HEX")` element, read but not yet placed.
struct CarriedRun {
    const SexprNode* node;
    std::size_t offset;
    std::vector<std::uint8_t> bytes;
};

CarriedRun readCarried(const SexprNode& field) {
    if (field.items.size() != 3) {
        failAt(field, "(carried) needs a byte offset and a quoted run of hexadecimal digits");
    }
    CarriedRun run{
        &field, static_cast<std::size_t>(wholeNumber(field.items[1], "carried", 0, 31)), {}};
    const SexprNode& hex = field.items[2];
    if (hex.kind != SexprNode::Kind::String) {
        failAt(hex, "(carried) needs a quoted run of hexadecimal digits, not " +
                        describeSexprNode(hex, false));
    }
    if (hex.text.empty() || hex.text.size() % 2 != 0) {
        failAt(hex, "(carried) needs two hexadecimal digits for each byte");
    }
    for (std::size_t i = 0; i < hex.text.size(); i += 2) {
        const int high = hexDigit(hex.text[i]);
        const int low = hexDigit(hex.text[i + 1]);
        if (high < 0 || low < 0)
            failAt(hex, "(carried) holds a character that is no hexadecimal digit");
        run.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return run;
}

/// Puts each run's bytes in place, after checking that each byte is one that `owner` carries
/// and that no byte is given twice.
void placeCarried(const std::vector<CarriedRun>& runs, ByteMask carried,
                  std::span<std::uint8_t> bytes, std::string_view owner) {
    ByteMask given = 0;
    for (const CarriedRun& run : runs) {
        for (std::size_t i = 0; i < run.bytes.size(); ++i) {
            const std::size_t offset = run.offset + i;
            if (offset >= bytes.size()) {
                failAt(*run.node, "(carried " + numberText(static_cast<std::int64_t>(run.offset)) +
                                      ") runs past byte " +
                                      numberText(static_cast<std::int64_t>(bytes.size() - 1)) +
                                      " of " + std::string(owner));
            }
            const ByteMask bit = ByteMask{1} << offset;
            if (!(carried & bit)) {
                failAt(*run.node, "byte " + numberText(static_cast<std::int64_t>(offset)) + " of " +
                                      std::string(owner) +
                                      " belongs to a field; only bytes no field reads are "
                                      "carried");
            }
            if (given & bit) {
                failAt(*run.node,
                       "byte " + numberText(static_cast<std::int64_t>(offset)) + " is given twice");
            }
            given |= bit;
            bytes[offset] = run.bytes[i];
        }
    }
}

/// The length byte of a name or text: `explicitLength` when given, else the text's length. A
/// given length must be the text's, or above 13 for a text of all 13 bytes.
std::uint8_t lengthByte(const SexprNode* explicitLength, std::size_t textSize,
                        std::string_view field) {
    if (!explicitLength) return static_cast<std::uint8_t>(textSize);
    const SexprNode& value = onlyValue(*explicitLength);
    const std::int32_t length = wholeNumber(value, field, 0, 255);
    const bool fits =
        static_cast<std::size_t>(length) == textSize ||
        (length > static_cast<std::int32_t>(kTextCapacity) && textSize == kTextCapacity);
    if (!fits) {
        failAt(value, "(" + std::string(field) + ") is " + std::string(value.text) +
                          " for a text of " + numberText(static_cast<std::int64_t>(textSize)) +
                          " bytes; it may differ only above 13, for a text of 13 bytes");
    }
    return static_cast<std::uint8_t>(length);
}

void requireTextFits(const SexprNode& node, const std::string& text, const std::string& what) {
    if (text.size() > kTextCapacity) {
        failAt(node, what + " holds at most 13 bytes; this one has " +
                         numberText(static_cast<std::int64_t>(text.size())));
    }
}

Primitive readPrimitive(const SexprNode& node, PrimitiveType kind) {
    std::array<std::uint8_t, kPrimitiveSize> bytes{};
    bytes[primitive_offset::kType] = static_cast<std::uint8_t>(kind);
    const std::span<const FieldLayout> layouts = fieldsOf(kind);
    auto owner = [&] { return elementName(node); };
    std::array<bool, 8> seen{};
    const SexprNode* text = nullptr;
    const SexprNode* textLength = nullptr;
    std::vector<CarriedRun> runs;
    for (std::size_t i = 1; i < node.items.size(); ++i) {
        const SexprNode& field = node.items[i];
        const std::string_view name = field.head();
        if (name.empty())
            failAt(field, owner() + " holds " + describeSexprNode(field, false) +
                              " where a field belongs");
        if (name == "carried") {
            runs.push_back(readCarried(field));
            continue;
        }
        const SexprNode** special = nullptr;
        if (kind == PrimitiveType::String && name == "text") special = &text;
        if (kind == PrimitiveType::String && name == "textLength") special = &textLength;
        if (special) {
            if (*special) failAt(field, owner() + " has two " + elementName(field));
            *special = &field;
            continue;
        }
        const auto layout = std::find_if(layouts.begin(), layouts.end(),
                                         [&](const FieldLayout& s) { return s.name == name; });
        if (layout == layouts.end()) failAt(field, owner() + " has no field " + elementName(field));
        const auto index = static_cast<std::size_t>(layout - layouts.begin());
        if (seen[index]) failAt(field, owner() + " has two " + elementName(field));
        seen[index] = true;
        readField(field, *layout, bytes);
    }
    // Fields left out: a whole circle, an upright text; every other field is required.
    for (std::size_t k = 0; k < layouts.size(); ++k) {
        if (seen[k]) continue;
        if (kind == PrimitiveType::Arc && layouts[k].name == "quadrantFlags") {
            bytes[arc_offset::kQuadrantFlags] = 15;
        } else if (kind != PrimitiveType::String || layouts[k].name != "orientation") {
            failAt(node, owner() + " has no (" + std::string(layouts[k].name) + ")");
        }
    }
    std::int32_t length = 0;
    if (kind == PrimitiveType::String) {
        if (!text) failAt(node, owner() + " has no (text)");
        const std::string characters = textOf(*text);
        requireTextFits(*text, characters, "(text)");
        length = lengthByte(textLength, characters.size(), "textLength");
        bytes[string_offset::kTextLength] = static_cast<std::uint8_t>(length);
        std::copy(characters.begin(), characters.end(), bytes.begin() + string_offset::kText);
    }
    const std::size_t size = takesTwoRecords(kind) ? kPrimitiveSize : kRecordSize;
    placeCarried(runs, carriedBytes(kind, length), std::span(bytes).first(size),
                 kind == PrimitiveType::Arc ? "an arc" : "a " + std::string(kindWord(kind)));
    return Primitive(
        std::span<const std::uint8_t, kRecordSize>(bytes.data(), kRecordSize),
        std::span<const std::uint8_t, kRecordSize>(bytes.data() + kRecordSize, kRecordSize));
}

TextComponent readComponent(const SexprNode& node) {
    if (node.items.size() < 2 || node.items[1].kind != SexprNode::Kind::String) {
        failAt(node.items.size() < 2 ? node : node.items[1],
               "(component) needs its name as a quoted text first");
    }
    const std::string name(node.items[1].text);
    requireTextFits(node.items[1], name, "a name");
    const SexprNode* nameLength = nullptr;
    std::vector<CarriedRun> runs;
    std::vector<Primitive> head;
    std::vector<Primitive> tail;
    for (std::size_t i = 2; i < node.items.size(); ++i) {
        const SexprNode& item = node.items[i];
        const std::string_view word = item.head();
        if (word == "nameLength") {
            if (nameLength) failAt(item, "(component) has two (nameLength)");
            nameLength = &item;
            continue;
        }
        if (word == "carried") {
            runs.push_back(readCarried(item));
            continue;
        }
        const auto kind = std::find_if(kKinds.begin(), kKinds.end(),
                                       [&](PrimitiveType k) { return kindWord(k) == word; });
        if (word.empty() || kind == kKinds.end()) {
            failAt(item, "(component) holds " + describeSexprNode(item, false) +
                             " where a primitive (arc, fill, pad, track, string, via) belongs");
        }
        Primitive primitive = readPrimitive(item, *kind);
        (isDrawnAtTail(primitive) ? tail : head).push_back(primitive);
    }
    DirectoryEntry entry;
    const std::uint8_t length = lengthByte(nameLength, name.size(), "nameLength");
    entry.bytes[entry_offset::kNameLength] = length;
    std::copy(name.begin(), name.end(), entry.bytes.begin() + entry_offset::kName);
    placeCarried(runs, entryCarriedBytes(length), entry.bytes, "a directory entry");

    TextComponent read{std::make_unique<Component>(entry), node.line, node.column};
    // A component puts each new primitive at its head, or at its tail for a MultiLayer Pad or a
    // Via, so the others go in backwards to come out in the text's order.
    for (auto p = head.rbegin(); p != head.rend(); ++p) read.component->addPrimitive(*p);
    for (const Primitive& p : tail) read.component->addPrimitive(p);
    return read;
}

std::vector<TextComponent> readRoot(const SexprNode& root) {
    if (root.head() != kHeadWord) {
        const std::string start = root.items.empty() ? std::string("an empty list")
                                                     : describeSexprNode(root.items.front(), false);
        failAt(root, "this is not a library text: it starts with " + start + ", not " +
                         std::string(kHeadWord));
    }
    if (root.items.size() < 2 || root.items[1].head() != "version") {
        failAt(root, "(" + std::string(kHeadWord) + ") needs (version " +
                         std::to_string(kLibraryTextVersion) + ") first");
    }
    const SexprNode& version = onlyValue(root.items[1]);
    if (wholeNumber(version, "version", 0, 1'000'000) != kLibraryTextVersion) {
        failAt(version, "version " + std::string(version.text) +
                            " of the library text is not known; this "
                            "program reads version " +
                            std::to_string(kLibraryTextVersion));
    }
    std::vector<TextComponent> components;
    for (std::size_t i = 2; i < root.items.size(); ++i) {
        const SexprNode& item = root.items[i];
        if (item.head() != "component") {
            failAt(item, "(" + std::string(kHeadWord) + ") holds " +
                             describeSexprNode(item, false) + " where a (component) belongs");
        }
        components.push_back(readComponent(item));
    }
    return components;
}

}  // namespace

SexprLimits libraryTextLimits() {
    SexprLimits limits;
    limits.maxNodes = 2'000'000;
    return limits;
}

std::string_view kindWord(PrimitiveType kind) {
    switch (kind) {
        case PrimitiveType::Arc:
            return "arc";
        case PrimitiveType::Fill:
            return "fill";
        case PrimitiveType::Pad:
            return "pad";
        case PrimitiveType::Track:
            return "track";
        case PrimitiveType::String:
            return "string";
        case PrimitiveType::Via:
            return "via";
    }
    return {};
}

std::vector<TextField> primitiveFields(const Primitive& primitive) {
    std::vector<TextField> fields;
    if (!primitive.kind()) return fields;
    visitPrimitiveFields(primitive, [&](std::string_view name, std::string_view value) {
        fields.push_back({std::string(name), std::string(value)});
    });
    return fields;
}

std::vector<TextField> entryFields(const DirectoryEntry& entry) {
    std::vector<TextField> fields;
    visitEntryFields(entry, [&](std::string_view name, std::string_view value) {
        fields.push_back({std::string(name), std::string(value)});
    });
    return fields;
}

std::string quotedName(const DirectoryEntry& entry) {
    FieldText name;
    name.addQuoted(
        std::span(entry.bytes).subspan(entry_offset::kName, textBytes(entry.nameLength())));
    return std::string(name.view());
}

std::string primitiveElement(const Primitive& primitive) {
    std::string out;
    if (primitive.kind()) appendPrimitive(out, primitive);
    return out;
}

std::vector<const Primitive*> canonicalOrder(const Component& component) {
    std::vector<const Primitive*> head;
    std::vector<const Primitive*> tail;
    for (const Primitive& p : component.primitives()) {
        if (!p.kind()) continue;
        (isDrawnAtTail(p) ? tail : head).push_back(&p);
    }
    // Of the two directions, the one that is lower at the first place where they differ.
    const std::size_t n = head.size();
    for (std::size_t i = 0; i < n / 2; ++i) {
        const int order = compareRecords(*head[i], *head[n - 1 - i]);
        if (order == 0) continue;
        if (order > 0) std::reverse(head.begin(), head.end());
        break;
    }
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

LibraryTextNotes loaderRepairs(const Library& library, std::span<const std::uint8_t> image) {
    LibraryTextNotes notes;
    const LibraryCheckReport report = checkLibraryImage(image);
    // The loader takes every whole slot that is not marked empty and puts it at the head.
    std::vector<std::size_t> slots;
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::size_t offset = kHeaderSize + kSlotSize * slot;
        if (offset + kSlotSize > image.size()) break;
        if (signed16At(image, offset + entry_offset::kFirstRecordIndex) != -1)
            slots.push_back(slot);
    }
    const auto& components = library.components();
    auto componentInSlot = [&](std::size_t slot) -> const Component* {
        const auto found = std::find(slots.begin(), slots.end(), slot);
        if (found == slots.end() || slots.size() != components.size()) return nullptr;
        return components[components.size() - 1 - static_cast<std::size_t>(found - slots.begin())]
            .get();
    };
    for (const Finding& finding : report.findings) {
        switch (finding.kind) {
            case FindingKind::DirectoryCut:
            case FindingKind::CountBeyondRecords:
            case FindingKind::UnknownRecordType:
            case FindingKind::SecondRecordCut:
            case FindingKind::HeaderBytes:
            case FindingKind::JunkInEmptySlot:
            case FindingKind::Gap:
            case FindingKind::TrailingBytes:
            case FindingKind::SaveRefused:
            case FindingKind::RoundTripDiffers:
                break;
            default:
                continue;
        }
        std::string note(findingKindName(finding.kind));
        if (finding.offset)
            note += " at offset " + numberText(static_cast<std::int64_t>(*finding.offset));
        note += ": " + finding.message;
        if (finding.kind == FindingKind::UnknownRecordType && finding.offset &&
            *finding.offset + kRecordSize <= image.size()) {
            note += " (bytes ";
            appendHex(note, image.subspan(*finding.offset, kRecordSize));
            note += ')';
        }
        const Component* component =
            finding.componentName && finding.slot ? componentInSlot(*finding.slot) : nullptr;
        if (component) {
            notes.components.emplace_back(component, oneLine(std::move(note)));
        } else {
            notes.file.push_back(oneLine(std::move(note)));
        }
    }
    return notes;
}

std::string libraryText(const Library& library, const LibraryTextNotes& notes) {
    struct Block {
        std::string name;
        std::string text;
    };
    std::vector<Block> blocks;
    blocks.reserve(library.size());
    for (const auto& component : library.components()) {
        const auto primitives = canonicalOrder(*component);
        std::string text;
        // About a hundred bytes a line, so that the text is not copied as it grows.
        text.reserve(100 * (primitives.size() + 2));
        text += "  (component ";
        text += quotedName(component->entry());
        visitEntryFields(component->entry(), [&](std::string_view name, std::string_view value) {
            appendField(text, name, value);
        });
        text += '\n';
        for (const auto& [noted, note] : notes.components) {
            if (noted == component.get()) text += "    # " + note + '\n';
        }
        for (const Primitive* primitive : primitives) {
            text += "    ";
            appendPrimitive(text, *primitive);
            text += '\n';
        }
        text += "  )\n";
        blocks.push_back({component->displayName(), std::move(text)});
    }
    std::sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) {
        const int byName = compareNamesIgnoringCase(a.name, b.name);
        return byName != 0 ? byName < 0 : a.text < b.text;
    });
    std::size_t size = 0;
    for (const Block& block : blocks) size += block.text.size();
    std::string out;
    out.reserve(size + 64);
    out +=
        "(" + std::string(kHeadWord) + " (version " + std::to_string(kLibraryTextVersion) + ")\n";
    for (const std::string& note : notes.file) out += "  # " + note + '\n';
    for (const Block& block : blocks) out += block.text;
    out += ")\n";
    return out;
}

LibraryTextRead readLibraryText(std::string_view text) {
    LibraryTextRead result;
    const SexprResult parsed = parseSexpr(text, libraryTextLimits(),
                                          SexprSyntax{.hashComments = true, .asciiTexts = true});
    if (!parsed) {
        result.error = parsed.message();
        return result;
    }
    try {
        result.components = readRoot(*parsed.root);
    } catch (const TextError& e) {
        result.error = e.message;
    } catch (const std::bad_alloc&) {
        result.error = "not enough memory to read the text";
    }
    return result;
}
