#include "library_check.h"

#include "byte_order.h"
#include "byte_reader.h"
#include "directory_entry.h"
#include "library.h"
#include "library_format.h"
#include "primitive.h"
#include "record_layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

/// Layers run from 1 to the MultiLayer, the highest.
constexpr std::uint8_t kLastLayer = kMultiLayer;

std::string number(std::size_t n) { return std::to_string(n); }

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

bool knownOrientation(std::int32_t code) {
    return (code >= 0 && code <= 3) || (code >= 16 && code <= 19);
}

bool layerInRange(std::uint8_t layer) { return layer >= 1 && layer <= kLastLayer; }

bool padShapeKnown(std::uint8_t shape) { return shape >= 1 && shape <= 4; }

bool textFits(std::uint8_t textLength) { return textLength <= kTextCapacity; }

/// Whether a record of a kept `kind` gives no finding at all, so that the common case costs a
/// few comparisons. `bytes` holds the first record whole and `got` bytes of the primitive in
/// all; a Pad or String cut short always gives one.
bool plainRecord(PrimitiveType kind, const std::uint8_t* bytes, std::size_t got) {
    if (!layerInRange(bytes[primitive_offset::kLayer])) return false;
    switch (kind) {
        case PrimitiveType::Pad:
            return got == kPrimitiveSize && padShapeKnown(bytes[pad_offset::kShape]);
        case PrimitiveType::String:
            return got == kPrimitiveSize && knownOrientation(bytes[string_offset::kOrientation]) &&
                   textFits(bytes[string_offset::kTextLength]);
        default:
            return true;
    }
}

/// Whether the `N` bytes at `a` and at `b` are the same, compared in 8-byte words: these
/// comparisons run for every slot and record of every file checked, and the C library's memcmp
/// is a call each time.
template <std::size_t N>
bool sameBytes(const std::uint8_t* a, const std::uint8_t* b) {
    static_assert(N % 8 == 0);
    std::uint64_t difference = 0;
    for (std::size_t i = 0; i < N; i += 8) {
        std::uint64_t x = 0;
        std::uint64_t y = 0;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        difference |= x ^ y;
    }
    return difference == 0;
}

/// The empty-slot pattern, made once.
const DirectoryEntry& emptySlotPattern() {
    static const DirectoryEntry pattern = DirectoryEntry::emptySlot();
    return pattern;
}

/// The offset of the directory slot `slot`.
constexpr std::size_t slotOffset(std::size_t slot) { return kHeaderSize + kSlotSize * slot; }

/// The bytes one component reads, as the loader walks them.
struct Block {
    std::size_t slot;
    std::size_t begin;
    std::size_t end;
};

/// What the raw reading learns about one component.
struct RawComponent {
    std::size_t slot;
    std::string name;
    bool findable;  // nameLength 1 to 13 and no zero byte inside it
};

/// Which save of a loaded library a comparison stands for.
enum class SaveOrder {
    /// The save of the library as loaded: components and primitives in list order.
    AsLoaded,
    /// The save after that save is loaded again. The load puts each component at the head, and
    /// within a component puts the primitives drawn at the tail there in their order and the
    /// others at the head, so the components come in reverse list order, then each component's
    /// head primitives reversed, then its tail primitives as they are.
    AfterReload,
};

/// Compares the bytes a save would write with the file, component by component in the order
/// the save writes them, without building anything: this runs over every record of every file
/// checked. The caller has made sure the library can be saved.
class SaveComparison {
public:
    SaveComparison(std::span<const std::uint8_t> image, SaveOrder order)
        : image_(image), order_(order) {
        const auto header = libraryHeader();
        if (image.size() < kHeaderSize ||
            std::memcmp(image.data(), header.data(), kHeaderSize) != 0) {
            mismatch_ = 0;
        }
    }

    /// Compares the next component the save writes, unless a difference is known already.
    void add(const Component& component) {
        if (!mismatch_) mismatch_ = compare(component);
    }

    bool differs() const { return mismatch_.has_value(); }

    /// Where the save first differs from the file, or none when it writes exactly the file,
    /// once every component is added.
    std::optional<std::size_t> finish() {
        for (; !mismatch_ && slot_ < kSlotCount; ++slot_) {
            if (!sameSlot(slot_, emptySlotPattern())) mismatch_ = slotOffset(slot_);
        }
        if (!mismatch_ && image_.size() != position_)
            mismatch_ = std::min(image_.size(), position_);
        return mismatch_;
    }

private:
    // Sizes are fixed per comparison so that the compiler compares in place.
    bool sameRecord(std::size_t offset, const Primitive& p, bool twoRecords) const {
        const std::size_t n = twoRecords ? kPrimitiveSize : kRecordSize;
        if (offset > image_.size() || n > image_.size() - offset) return false;
        return twoRecords ? sameBytes<kPrimitiveSize>(image_.data() + offset, p.bytes().data())
                          : sameBytes<kRecordSize>(image_.data() + offset, p.bytes().data());
    }

    bool sameSlot(std::size_t slot, const DirectoryEntry& entry) const {
        const std::size_t offset = slotOffset(slot);
        return offset + kSlotSize <= image_.size() &&
               sameBytes<kSlotSize>(image_.data() + offset, entry.bytes.data());
    }

    /// The offset of the first byte that differs in the component's slot or records, if any.
    std::optional<std::size_t> compare(const Component& component) {
        DirectoryEntry entry = component.entry();
        entry.setPrimitiveCount(component.primitiveCount());
        entry.setFirstRecordIndex(static_cast<std::int32_t>(position_ / kRecordSize));
        if (!sameSlot(slot_, entry)) return slotOffset(slot_);
        ++slot_;
        // The kind is taken once per primitive and tested as a plain value: this loop runs over
        // every primitive of every file checked. A primitive of no kept kind is never written.
        const auto& primitives = component.primitives();
        if (order_ == SaveOrder::AsLoaded) {
            for (const auto& p : primitives) {
                const auto kind = p.kind();
                if (!kind) continue;
                const bool twoRecords = takesTwoRecords(*kind);
                if (!sameRecord(position_, p, twoRecords)) return position_;
                position_ += twoRecords ? kPrimitiveSize : kRecordSize;
            }
            return std::nullopt;
        }
        // One pass from the tail of the list: the head primitives come in the order they are
        // written, from the start of the records on, and the tail ones in reverse, from the end
        // back. Every head record lies before every tail record, so the first head record that
        // differs is the first difference, and otherwise the last tail record found to differ is.
        const std::size_t end = position_ + component.recordBytes();
        std::size_t tailPosition = end;
        std::optional<std::size_t> tailMismatch;
        for (auto p = primitives.rbegin(); p != primitives.rend(); ++p) {
            const auto kind = p->kind();
            if (!kind) continue;
            const bool twoRecords = takesTwoRecords(*kind);
            const std::size_t length = twoRecords ? kPrimitiveSize : kRecordSize;
            if (isDrawnAtTail(*kind, p->layer())) {
                tailPosition -= length;
                if (!sameRecord(tailPosition, *p, twoRecords)) tailMismatch = tailPosition;
            } else {
                if (!sameRecord(position_, *p, twoRecords)) return position_;
                position_ += length;
            }
        }
        if (tailMismatch) return tailMismatch;
        position_ = end;
        return std::nullopt;
    }

    std::span<const std::uint8_t> image_;
    SaveOrder order_;
    std::size_t position_ = kRecordAreaOffset;
    std::size_t slot_ = 0;
    std::optional<std::size_t> mismatch_;
};

/// A name finding by name can reach, at a place of the caller's (a slot or a list position).
struct NamedPlace {
    std::size_t place;
    std::string_view name;
};

/// Two names finding by name cannot tell apart: the one at `at` and the one at `other`, both
/// indices into the names given.
struct NameClash {
    FindingKind kind;  ///< DuplicateName or DuplicateNameCase
    std::size_t at;
    std::size_t other;
};

/// The clashes among `names`, given in the order of their places. Of equal names, finding by
/// name gives the first when `firstIsFound` and the last otherwise; each other one is a
/// DuplicateName whose `other` is the one found. Of distinct names that differ only in letter
/// case, each after the first to appear is a DuplicateNameCase at its first place, whose `other`
/// is the first place of the first. In the order of the names given, a DuplicateName before a
/// DuplicateNameCase at the same place. Sorting instead of maps keeps this free of an
/// allocation per name.
std::vector<NameClash> nameClashes(std::span<const NamedPlace> names, bool firstIsFound) {
    struct Keyed {
        std::string folded;
        std::size_t index;  // into `names`
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        keyed.push_back({upperAscii(std::string(names[i].name)), i});
    }
    // Equal folded names together; within them equal names together; each in order of place.
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.folded != b.folded) return a.folded < b.folded;
        if (names[a.index].name != names[b.index].name) {
            return names[a.index].name < names[b.index].name;
        }
        return a.index < b.index;
    });
    std::vector<NameClash> clashes;
    for (std::size_t run = 0; run < keyed.size();) {
        std::size_t runEnd = run;
        while (runEnd < keyed.size() && keyed[runEnd].folded == keyed[run].folded) ++runEnd;
        // The first place among the names of this run: where the first distinct one appears.
        std::size_t firstIndex = keyed[run].index;
        for (std::size_t k = run; k < runEnd; ++k)
            firstIndex = std::min(firstIndex, keyed[k].index);
        for (std::size_t group = run; group < runEnd;) {
            std::size_t groupEnd = group;
            while (groupEnd < runEnd &&
                   names[keyed[groupEnd].index].name == names[keyed[group].index].name) {
                ++groupEnd;
            }
            const std::size_t found = keyed[firstIsFound ? group : groupEnd - 1].index;
            for (std::size_t k = group; k < groupEnd; ++k) {
                if (keyed[k].index != found) {
                    clashes.push_back({FindingKind::DuplicateName, keyed[k].index, found});
                }
            }
            const std::size_t front = keyed[group].index;
            if (front != firstIndex) {
                clashes.push_back({FindingKind::DuplicateNameCase, front, firstIndex});
            }
            group = groupEnd;
        }
        run = runEnd;
    }
    std::sort(clashes.begin(), clashes.end(), [](const NameClash& a, const NameClash& b) {
        return a.at != b.at ? a.at < b.at : a.kind < b.kind;
    });
    return clashes;
}

class ImageChecker {
public:
    explicit ImageChecker(std::span<const std::uint8_t> image) : image_(image), file_(image) {}

    LibraryCheckReport run();

private:
    void add(FindingKind kind, std::optional<std::size_t> slot, std::optional<std::string> name,
             std::optional<std::size_t> offset, std::string message, bool losesData) {
        // Where a finding concerns bytes the file does not have, it lies at the end of the file.
        if (offset) offset = std::min(*offset, image_.size());
        report_.findings.push_back(
            {kind, slot, std::move(name), offset, std::move(message), losesData});
    }
    void checkSlot(std::size_t slot, const DirectoryEntry& entry);
    void checkRecords(std::size_t slot, const DirectoryEntry& entry, const std::string& name);
    void checkRecord(std::size_t slot, const std::string& name, std::size_t position,
                     PrimitiveType kind, const std::uint8_t* bytes, std::size_t got);
    void checkNames();
    void checkLayout();
    void checkRoundTrip();
    bool hasStructuralFinding() const;

    std::span<const std::uint8_t> image_;
    ByteReader file_;
    LibraryCheckReport report_;
    std::vector<RawComponent> components_;
    std::vector<Block> blocks_;
    bool primitivesReordered_ = false;
    /// The furthest byte the records of the components so far reach.
    std::size_t recordsEnd_ = kRecordAreaOffset;
    // MultiLayer Pads or Vias before other primitives: every save keeps them last, so no number
    // of round trips gives the file back.
    bool tailPrimitivesMove_ = false;
};

LibraryCheckReport ImageChecker::run() {
    report_.fileSize = image_.size();
    if (image_.size() < kHeaderSize) {
        add(FindingKind::FileTooShort, {}, {}, 0,
            "the file has " + number(image_.size()) + " bytes, fewer than the 16 of a header",
            true);
        return report_;
    }
    if (!hasLibrarySignature(image_)) {
        add(FindingKind::NotALibrary, {}, {}, 3,
            "bytes 3 to 15 do not read \"PCB 4 LIBRARY\": not a library file", true);
        return report_;
    }
    report_.isLibrary = true;
    components_.reserve(kSlotCount);
    blocks_.reserve(kSlotCount);
    const auto header = libraryHeader();
    if (!std::equal(header.begin(), header.begin() + 3, image_.begin())) {
        add(FindingKind::HeaderBytes, {}, {}, 0,
            "header bytes 0 to 2 are not 00 00 0D; a save writes 00 00 0D", false);
    }

    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const std::size_t offset = slotOffset(slot);
        DirectoryEntry entry;
        if (const auto whole = file_.view<kSlotSize>(offset)) {
            // A copy of a fixed size, which the compiler makes in place.
            std::memcpy(entry.bytes.data(), whole->data(), kSlotSize);
            checkSlot(slot, entry);
            continue;
        }
        const std::size_t got = file_.copy(offset, entry.bytes);
        // The loader takes a slot cut short, and every slot after it, as empty. The part that
        // is there loses nothing when it is the start of the empty-slot pattern, or when it
        // already shows the empty index.
        const auto empty = DirectoryEntry::emptySlot();
        const bool indexSeen = got >= entry_offset::kFirstRecordIndex + 2;
        const bool emptyPrefix =
            std::equal(entry.bytes.begin(), entry.bytes.begin() + got, empty.bytes.begin());
        const bool loses = indexSeen ? !entry.isEmpty() : !emptyPrefix;
        add(FindingKind::DirectoryCut, slot, {}, offset,
            "the file ends inside the directory: slots " + number(slot) +
                " to 199 are cut short and taken as empty",
            loses);
        break;
    }
    checkNames();
    checkLayout();
    checkRoundTrip();
    return report_;
}

void ImageChecker::checkSlot(std::size_t slot, const DirectoryEntry& entry) {
    const std::size_t offset = slotOffset(slot);
    if (entry.isEmpty()) {
        if (!sameBytes<kSlotSize>(entry.bytes.data(), emptySlotPattern().bytes.data())) {
            add(FindingKind::JunkInEmptySlot, slot, {}, offset,
                "an empty slot holds bytes other than the empty-slot pattern; a save writes the "
                "pattern",
                false);
        }
        return;
    }
    const std::string name = entry.displayName();
    const auto nameLength = static_cast<std::size_t>(entry.nameLength());
    bool findable = true;
    if (nameLength == 0) {
        add(FindingKind::NameEmpty, slot, name, offset + entry_offset::kNameLength,
            "nameLength is 0: the component is listed without a name and can never be found",
            false);
        findable = false;
    } else if (nameLength > kTextCapacity) {
        add(FindingKind::NameTooLong, slot, name, offset + entry_offset::kNameLength,
            "nameLength is " + number(nameLength) +
                ", above 13: listed by its first 13 bytes, never found by name; kept as it is",
            false);
        findable = false;
    }
    const std::size_t shown = std::min(nameLength, kTextCapacity);
    const auto* first = entry.bytes.data() + entry_offset::kName;
    if (const auto* zero = std::find(first, first + shown, std::uint8_t{0});
        zero != first + shown) {
        add(FindingKind::ZeroInName, slot, name,
            offset + entry_offset::kName + static_cast<std::size_t>(zero - first),
            "a zero byte inside the name: listed up to it, never found by name; kept as it is",
            false);
        findable = false;
    }
    components_.push_back({slot, name, findable});

    const std::int32_t count = entry.primitiveCount();
    const std::int32_t index = entry.firstRecordIndex();
    if (count <= 0 || index <= 0) {
        // A save writes count 0 and the index of the end of the records written so far, which in
        // a file laid out as a save lays it is where the previous component's records end.
        if (count != 0 ||
            kRecordSize * static_cast<std::size_t>(std::max(index, 0)) != recordsEnd_) {
            add(FindingKind::EntryWithoutPrimitives, slot, name,
                offset + entry_offset::kPrimitiveCount,
                "the entry gives no primitives (count " + std::to_string(count) + ", index " +
                    std::to_string(index) + "); a save writes count 0 and a new index",
                false);
        }
        return;
    }
    checkRecords(slot, entry, name);
}

void ImageChecker::checkRecords(std::size_t slot, const DirectoryEntry& entry,
                                const std::string& name) {
    const std::int32_t count = entry.primitiveCount();
    const std::size_t begin = kRecordSize * static_cast<std::size_t>(entry.firstRecordIndex());
    if (begin < kRecordAreaOffset && file_.has(begin, kRecordSize)) {
        add(FindingKind::RecordsOverlapDirectory, slot, name, begin,
            "the records start at index " + std::to_string(entry.firstRecordIndex()) +
                ", inside the header and directory; they are read from there",
            false);
    }
    std::size_t position = begin;
    std::int32_t read = 0;
    std::size_t headKinds = 0;
    bool tailSeen = false;
    bool tailBeforeHead = false;
    for (; read < count; ++read) {
        const auto record = file_.view<kRecordSize>(position);
        if (!record) break;
        const std::uint8_t layer = (*record)[primitive_offset::kLayer];
        const std::uint8_t type = (*record)[primitive_offset::kType];
        const auto known = primitiveType(type);
        if (!known) [[unlikely]] {
            add(FindingKind::UnknownRecordType, slot, name, position,
                "a record of type " + std::to_string(type) +
                    ", which no component keeps: a save drops it and lowers the count",
                true);
            position += kRecordSize;
            continue;
        }
        // A plain value from here on: this loop runs over every record of every file checked.
        const PrimitiveType kind = *known;
        const bool twoRecords = takesTwoRecords(kind);
        // The first record lies whole in the image; of the second, what the file holds.
        const std::uint8_t* bytes = record->data();
        const std::size_t got = std::min(kPrimitiveSize, image_.size() - position);
        if (!plainRecord(kind, bytes, got)) [[unlikely]] {
            checkRecord(slot, name, position, kind, bytes, got);
        }
        if (isDrawnAtTail(kind, layer)) {
            tailSeen = true;
        } else {
            ++headKinds;
            tailBeforeHead = tailBeforeHead || tailSeen;
        }
        position += twoRecords ? kPrimitiveSize : kRecordSize;
    }
    if (read < count) {
        add(FindingKind::CountBeyondRecords, slot, name, std::min(position, image_.size()),
            "the entry counts " + std::to_string(count) + " primitives but the file ends after " +
                std::to_string(read) + "; a save writes the count of those kept",
            false);
    }
    if (headKinds >= 2 || tailBeforeHead) primitivesReordered_ = true;
    if (tailBeforeHead) tailPrimitivesMove_ = true;
    blocks_.push_back({slot, begin, std::min(position, image_.size())});
    recordsEnd_ = std::max(recordsEnd_, std::min(position, image_.size()));
}

void ImageChecker::checkRecord(std::size_t slot, const std::string& name, std::size_t position,
                               PrimitiveType kind, const std::uint8_t* bytes, std::size_t got) {
    if (takesTwoRecords(kind) && got < kPrimitiveSize) {
        add(FindingKind::SecondRecordCut, slot, name, position + kRecordSize,
            "the file cuts the second record of this " +
                std::string(kind == PrimitiveType::Pad ? "Pad" : "String") + " after " +
                number(got - kRecordSize) + " of 16 bytes; a save fills the rest with zeros",
            false);
    }
    if (!layerInRange(bytes[primitive_offset::kLayer])) {
        add(FindingKind::LayerOutOfRange, slot, name, position,
            "a primitive on layer " + std::to_string(bytes[primitive_offset::kLayer]) +
                ", outside 1 to 13",
            false);
    }
    if (kind == PrimitiveType::Pad) {
        const std::uint8_t shape = bytes[pad_offset::kShape];
        if (!padShapeKnown(shape)) {
            add(FindingKind::PadShapeUnknown, slot, name, position + pad_offset::kShape,
                "a Pad of shape " + std::to_string(shape) + ", outside 1 to 4: kept but not drawn",
                false);
        }
    }
    if (kind == PrimitiveType::String) {
        const std::uint8_t orientation = bytes[string_offset::kOrientation];
        if (!knownOrientation(orientation)) {
            add(FindingKind::OrientationUnknown, slot, name, position + string_offset::kOrientation,
                "a String of orientation " + std::to_string(orientation) +
                    ", none of the eight codes: kept, drawn upright at one point",
                false);
        }
        // A length byte the file cuts off is taken as 0, as the loader does.
        const std::uint8_t textLength =
            got > string_offset::kTextLength ? bytes[string_offset::kTextLength] : 0;
        if (!textFits(textLength)) {
            add(FindingKind::TextTooLong, slot, name, position + string_offset::kTextLength,
                "a String whose textLength is " + std::to_string(textLength) +
                    ", above 13: its 13 characters are drawn; kept as it is",
                false);
        }
    }
}

void ImageChecker::checkNames() {
    std::vector<NamedPlace> names;
    names.reserve(components_.size());
    for (const auto& c : components_) {
        if (c.findable) names.push_back({c.slot, c.name});
    }
    // The loader puts later slots nearer the head, so finding by name gives the last one.
    for (const NameClash& clash : nameClashes(names, false)) {
        const std::size_t slot = names[clash.at].place;
        const std::string name(names[clash.at].name);
        const std::size_t offset = slotOffset(slot) + entry_offset::kName;
        const std::size_t other = names[clash.other].place;
        if (clash.kind == FindingKind::DuplicateName) {
            add(FindingKind::DuplicateName, slot, name, offset,
                "the same name as slot " + number(other) +
                    ", which finding by name gives instead: this one can never be found",
                false);
        } else {
            add(FindingKind::DuplicateNameCase, slot, name, offset,
                "differs only in letter case from the name in slot " + number(other), false);
        }
    }
}

void ImageChecker::checkLayout() {
    // Components a save writes into slots 0, 1, 2, ... with nothing between them.
    for (std::size_t i = 0; i < components_.size(); ++i) {
        if (components_[i].slot != i) {
            add(FindingKind::SlotsNotPacked, components_[i].slot, components_[i].name,
                slotOffset(components_[i].slot),
                "empty slots lie before this component; a save moves every component up", false);
            break;
        }
    }

    // A save lays the blocks out in slot order; a file whose blocks go another way changes.
    const Block* previous = nullptr;
    for (const auto& block : blocks_) {
        // Blocks read from the directory are reported as such; blocks past the end hold nothing.
        if (block.begin < kRecordAreaOffset || block.end <= block.begin) continue;
        if (previous && block.begin < previous->begin) {
            add(FindingKind::RecordBlocksOutOfOrder, block.slot, {}, block.begin,
                "the record blocks do not follow the directory order; a save rewrites them in it",
                false);
            break;
        }
        previous = &block;
    }

    auto sorted = blocks_;
    std::sort(sorted.begin(), sorted.end(), [](const Block& a, const Block& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.slot < b.slot;
    });
    std::size_t covered = kRecordAreaOffset;  // the end of what the blocks so far read
    std::optional<std::size_t> coveringSlot;
    for (const auto& block : sorted) {
        if (block.end <= block.begin) continue;
        if (coveringSlot && block.begin < covered && block.end > kRecordAreaOffset) {
            add(FindingKind::RecordsOverlap, block.slot, {}, block.begin,
                "these records are also read by slot " + number(*coveringSlot) +
                    "; a save gives each component its own copy",
                false);
        } else if (block.begin > covered) {
            add(FindingKind::Gap, {}, {}, covered,
                number(block.begin - covered) +
                    " bytes between record blocks that no component reads; a save leaves them "
                    "out",
                false);
        }
        if (block.end > covered) {
            covered = block.end;
            coveringSlot = block.slot;
        } else if (!coveringSlot) {
            coveringSlot = block.slot;
        }
    }
    if (image_.size() > covered && image_.size() > kRecordAreaOffset) {
        add(FindingKind::TrailingBytes, {}, {}, covered,
            number(image_.size() - covered) +
                " bytes after the last record any component reads; a save leaves them out",
            false);
    }
}

bool ImageChecker::hasStructuralFinding() const {
    return std::any_of(report_.findings.begin(), report_.findings.end(), [](const Finding& f) {
        switch (f.kind) {
            case FindingKind::DirectoryCut:
            case FindingKind::CountBeyondRecords:
            case FindingKind::RecordsOverlap:
            case FindingKind::RecordsOverlapDirectory:
            case FindingKind::UnknownRecordType:
            case FindingKind::SecondRecordCut:
            case FindingKind::EntryWithoutPrimitives:
            case FindingKind::HeaderBytes:
            case FindingKind::JunkInEmptySlot:
            case FindingKind::SlotsNotPacked:
            case FindingKind::RecordBlocksOutOfOrder:
            case FindingKind::Gap:
            case FindingKind::TrailingBytes:
                return true;
            default:
                return false;
        }
    });
}

void ImageChecker::checkRoundTrip() {
    // A file laid out as a save lays it comes back after two round trips; anything else must be
    // explained by a finding of the raw reading, or the check says it does not know why. The
    // second save writes the components in slot order, so it is compared as the load reads
    // each one.
    const bool explained = tailPrimitivesMove_ || hasStructuralFinding();
    SaveComparison secondSave(image_, SaveOrder::AfterReload);
    Library library;
    PlainNameList names;
    if (explained) {
        library.loadImage(image_, names);
    } else {
        library.loadImage(image_, names, [&](const Component& c) { secondSave.add(c); });
    }
    report_.componentCount = library.size();
    if (const auto writable = library.checkWritable(); !writable) {
        add(FindingKind::SaveRefused, {}, {}, {}, "a save is refused: " + writable.reason, true);
        return;
    }
    SaveComparison firstSave(image_, SaveOrder::AsLoaded);
    for (const auto& component : library.components()) {
        firstSave.add(*component);
        if (firstSave.differs()) break;
    }
    report_.reproducesFile = !firstSave.finish();
    if (report_.reproducesFile) return;

    if (library.size() >= 2 || primitivesReordered_) {
        std::string message =
            "a save writes the components in reverse directory order and reorders their "
            "primitives (MultiLayer Pads and Vias last)";
        if (tailPrimitivesMove_) {
            message += "; MultiLayer Pads or Vias before other primitives stay last after it";
        } else if (!explained) {
            message += "; a second save restores the order";
        }
        add(FindingKind::OrderReversed, {}, {}, {}, std::move(message), false);
    }
    if (explained) return;
    if (const auto mismatch = secondSave.finish()) {
        add(FindingKind::RoundTripDiffers, {}, {}, *mismatch,
            "a save changes the file here for a reason the check does not know", true);
    }
}

}  // namespace

std::string_view findingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::NotALibrary:
            return "not-a-library";
        case FindingKind::FileTooShort:
            return "file-too-short";
        case FindingKind::DirectoryCut:
            return "directory-cut";
        case FindingKind::CountBeyondRecords:
            return "count-beyond-records";
        case FindingKind::RecordsOverlap:
            return "records-overlap";
        case FindingKind::RecordsOverlapDirectory:
            return "records-overlap-directory";
        case FindingKind::UnknownRecordType:
            return "unknown-record-type";
        case FindingKind::SecondRecordCut:
            return "second-record-cut";
        case FindingKind::TextTooLong:
            return "text-too-long";
        case FindingKind::NameEmpty:
            return "name-empty";
        case FindingKind::NameTooLong:
            return "name-too-long";
        case FindingKind::ZeroInName:
            return "zero-in-name";
        case FindingKind::DuplicateName:
            return "duplicate-name";
        case FindingKind::DuplicateNameCase:
            return "duplicate-name-case";
        case FindingKind::LayerOutOfRange:
            return "layer-out-of-range";
        case FindingKind::PadShapeUnknown:
            return "pad-shape-unknown";
        case FindingKind::OrientationUnknown:
            return "orientation-unknown";
        case FindingKind::TooManyComponents:
            return "too-many-components";
        case FindingKind::EntryWithoutPrimitives:
            return "entry-without-primitives";
        case FindingKind::SaveRefused:
            return "save-refused";
        case FindingKind::OrderReversed:
            return "order-reversed";
        case FindingKind::HeaderBytes:
            return "header-bytes";
        case FindingKind::JunkInEmptySlot:
            return "junk-in-empty-slot";
        case FindingKind::SlotsNotPacked:
            return "slots-not-packed";
        case FindingKind::RecordBlocksOutOfOrder:
            return "record-blocks-out-of-order";
        case FindingKind::Gap:
            return "gap";
        case FindingKind::TrailingBytes:
            return "trailing-bytes";
        case FindingKind::RoundTripDiffers:
            return "round-trip-differs";
    }
    return "unknown";
}

CheckVerdict LibraryCheckReport::verdict() const {
    if (!isLibrary) return CheckVerdict::LosesData;
    const bool loses =
        std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.losesData; });
    return loses ? CheckVerdict::LosesData : CheckVerdict::KeepsEverything;
}

LibraryCheckReport checkLibraryImage(std::span<const std::uint8_t> image) {
    return ImageChecker(image).run();
}

std::vector<Finding> checkLibrary(const Library& library) {
    std::vector<Finding> findings;
    if (library.size() > kSlotCount) {
        findings.push_back({FindingKind::TooManyComponents,
                            {},
                            {},
                            {},
                            "the library holds " + number(library.size()) +
                                " components; a library file has room for 200",
                            true});
    } else if (const auto writable = library.checkWritable(); !writable) {
        findings.push_back(
            {FindingKind::SaveRefused, {}, {}, {}, "a save is refused: " + writable.reason, true});
    }
    const auto& components = library.components();
    std::vector<std::string> listed(components.size());
    std::vector<NamedPlace> names;
    names.reserve(components.size());
    for (std::size_t i = 0; i < components.size(); ++i) {
        const auto& entry = components[i]->entry();
        listed[i] = entry.displayName();
        // A name that is empty, too long or cut by a zero byte is never found by name anyway.
        if (entry.nameLength() >= 1 &&
            static_cast<std::size_t>(entry.nameLength()) <= kTextCapacity &&
            listed[i].size() == static_cast<std::size_t>(entry.nameLength())) {
            names.push_back({i, listed[i]});
        }
    }
    // Finding by name gives the first from the head.
    for (const NameClash& clash : nameClashes(names, true)) {
        const std::size_t at = names[clash.at].place;
        const std::size_t other = names[clash.other].place;
        if (clash.kind == FindingKind::DuplicateName) {
            findings.push_back({FindingKind::DuplicateName,
                                at,
                                listed[at],
                                {},
                                "the same name as position " + number(other) +
                                    ", which finding by name gives instead: this one can never "
                                    "be found",
                                false});
        } else {
            findings.push_back(
                {FindingKind::DuplicateNameCase,
                 at,
                 listed[at],
                 {},
                 "differs only in letter case from the name at position " + number(other),
                 false});
        }
    }
    return findings;
}
