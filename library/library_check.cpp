#include "library_check.h"

#include "byte_reader.h"
#include "directory_entry.h"
#include "field_codes.h"
#include "image_walk.h"
#include "library_format.h"
#include "name_rules.h"
#include "primitive.h"
#include "record_layout.h"
#include "save_layout.h"

#include <algorithm>
#include <utility>

namespace {

std::string number(std::size_t n) { return std::to_string(n); }

bool textFits(std::uint8_t textLength) { return textLength <= kTextCapacity; }

/// Whether a record of a kept `kind` gives no finding at all, so that the common case costs a
/// few comparisons. `bytes` holds the first record whole and `got` bytes of the primitive in
/// all; a Pad or String cut short always gives one.
bool plainRecord(PrimitiveType kind, const std::uint8_t* bytes, std::size_t got) {
    if (!isBoardLayer(bytes[primitive_offset::kLayer])) return false;
    switch (kind) {
        case PrimitiveType::Pad:
            return got == kPrimitiveSize && padShape(bytes[pad_offset::kShape]);
        case PrimitiveType::String:
            return got == kPrimitiveSize && stringOrientation(bytes[string_offset::kOrientation]) &&
                   textFits(bytes[string_offset::kTextLength]);
        default:
            return true;
    }
}

/// The bytes one component reads, as the loader walks them.
struct Block {
    std::size_t slot;
    std::size_t begin;
    std::size_t end;
};

/// What the walk learns about one component, beside what a save of it needs.
struct WalkedComponent {
    std::size_t slot;
    std::string name;
    bool findable;
    /// Where its kept records start among all the kept records walked.
    std::size_t firstRecord = 0;
};

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
    std::vector<WalkedComponent> components_;
    /// The components as a load makes them, for the prediction of a save, and their records.
    std::vector<ImageComponent> loaded_;
    std::vector<ImageRecord> records_;
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
    loaded_.reserve(kSlotCount);
    blocks_.reserve(kSlotCount);
    // No more records can be kept than the file holds.
    records_.reserve(image_.size() / kRecordSize);
    const auto header = libraryHeader();
    if (!std::equal(header.begin(), header.begin() + 3, image_.begin())) {
        add(FindingKind::HeaderBytes, {}, {}, 0,
            "header bytes 0 to 2 are not 00 00 0D; a save writes 00 00 0D", false);
    }

    const std::size_t cut = walkDirectory(
        file_, [this](std::size_t slot, const DirectoryEntry& entry) { checkSlot(slot, entry); });
    if (cut < kSlotCount) {
        const std::size_t offset = slotOffset(cut);
        DirectoryEntry entry;
        const std::size_t got = file_.copy(offset, entry.bytes);
        // The part of a cut slot that is there loses nothing when it is the start of the
        // empty-slot pattern, or when it already shows the empty index.
        const auto empty = DirectoryEntry::emptySlot();
        const bool indexSeen = got >= entry_offset::kFirstRecordIndex + 2;
        const bool emptyPrefix =
            std::equal(entry.bytes.begin(), entry.bytes.begin() + got, empty.bytes.begin());
        const bool loses = indexSeen ? !entry.isEmpty() : !emptyPrefix;
        add(FindingKind::DirectoryCut, cut, {}, offset,
            "the file ends inside the directory: slots " + number(cut) +
                " to 199 are cut short and taken as empty",
            loses);
    }
    // The records each component kept, now that they will not move.
    for (std::size_t i = 0; i < loaded_.size(); ++i) {
        const std::size_t first = components_[i].firstRecord;
        const std::size_t last =
            i + 1 < loaded_.size() ? components_[i + 1].firstRecord : records_.size();
        loaded_[i].records = std::span<const ImageRecord>(records_).subspan(first, last - first);
    }
    checkNames();
    checkLayout();
    checkRoundTrip();
    return report_;
}

void ImageChecker::checkSlot(std::size_t slot, const DirectoryEntry& entry) {
    const std::size_t offset = slotOffset(slot);
    if (entry.isEmpty()) {
        if (entry != DirectoryEntry::emptySlot()) {
            add(FindingKind::JunkInEmptySlot, slot, {}, offset,
                "an empty slot holds bytes other than the empty-slot pattern; a save writes the "
                "pattern",
                false);
        }
        return;
    }
    const std::string name = entry.displayName();
    const auto nameLength = static_cast<std::size_t>(entry.nameLength());
    if (nameLength == 0) {
        add(FindingKind::NameEmpty, slot, name, offset + entry_offset::kNameLength,
            "nameLength is 0: the component is listed without a name and can never be found",
            false);
    } else if (nameLength > kTextCapacity) {
        add(FindingKind::NameTooLong, slot, name, offset + entry_offset::kNameLength,
            "nameLength is " + number(nameLength) +
                ", above 13: listed by its first 13 bytes, never found by name; kept as it is",
            false);
    }
    const std::size_t shown = std::min(nameLength, kTextCapacity);
    const auto* first = entry.bytes.data() + entry_offset::kName;
    if (const auto* zero = std::find(first, first + shown, std::uint8_t{0});
        zero != first + shown) {
        add(FindingKind::ZeroInName, slot, name,
            offset + entry_offset::kName + static_cast<std::size_t>(zero - first),
            "a zero byte inside the name: listed up to it, never found by name; kept as it is",
            false);
    }
    components_.push_back({slot, name, entry.isFindableByName(), records_.size()});
    loaded_.push_back({entry, {}, 0});

    if (!pointsAtRecords(entry)) {
        // A save writes count 0 and the index of the end of the records written so far, which in
        // a file laid out as a save lays it is where the previous component's records end.
        const std::int32_t count = entry.primitiveCount();
        const std::int32_t index = entry.firstRecordIndex();
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
    const std::size_t begin = kRecordSize * static_cast<std::size_t>(entry.firstRecordIndex());
    if (begin < kRecordAreaOffset && file_.has(begin, kRecordSize)) {
        add(FindingKind::RecordsOverlapDirectory, slot, name, begin,
            "the records start at index " + std::to_string(entry.firstRecordIndex()) +
                ", inside the header and directory; they are read from there",
            false);
    }
    ImageComponent& loaded = loaded_.back();
    std::size_t headKinds = 0;
    bool tailSeen = false;
    bool tailBeforeHead = false;
    const RecordRun run = walkRecords(
        file_, entry,
        [&](std::size_t position, std::span<const std::uint8_t, kRecordSize> record,
            std::optional<PrimitiveType> known) {
            if (!known) [[unlikely]] {
                const std::uint8_t type = record[primitive_offset::kType];
                add(FindingKind::UnknownRecordType, slot, name, position,
                    "a record of type " + std::to_string(type) +
                        ", which no component keeps: a save drops it and lowers the count",
                    true);
                return;
            }
            // A plain value from here on: this runs over every record of every file checked.
            const PrimitiveType kind = *known;
            const std::size_t length = takesTwoRecords(kind) ? kPrimitiveSize : kRecordSize;
            // The first record lies whole in the image; of the second, what the file holds.
            const std::uint8_t* bytes = record.data();
            const std::size_t got = std::min(kPrimitiveSize, image_.size() - position);
            if (!plainRecord(kind, bytes, got)) [[unlikely]] {
                checkRecord(slot, name, position, kind, bytes, got);
            }
            const bool tail = isDrawnAtTail(kind, record[primitive_offset::kLayer]);
            if (tail) {
                tailSeen = true;
            } else {
                ++headKinds;
                tailBeforeHead = tailBeforeHead || tailSeen;
            }
            records_.push_back(
                {static_cast<std::uint32_t>(position), static_cast<std::uint8_t>(length), tail});
            loaded.recordBytes += length;
        });
    if (run.read < entry.primitiveCount()) {
        add(FindingKind::CountBeyondRecords, slot, name, std::min(run.end, image_.size()),
            "the entry counts " + std::to_string(entry.primitiveCount()) +
                " primitives but the file ends after " + std::to_string(run.read) +
                "; a save writes the count of those kept",
            false);
    }
    if (headKinds >= 2 || tailBeforeHead) primitivesReordered_ = true;
    if (tailBeforeHead) tailPrimitivesMove_ = true;
    blocks_.push_back({slot, begin, std::min(run.end, image_.size())});
    recordsEnd_ = std::max(recordsEnd_, std::min(run.end, image_.size()));
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
    if (!isBoardLayer(bytes[primitive_offset::kLayer])) {
        add(FindingKind::LayerOutOfRange, slot, name, position,
            "a primitive on layer " + std::to_string(bytes[primitive_offset::kLayer]) +
                ", outside 1 to 13",
            false);
    }
    if (kind == PrimitiveType::Pad) {
        const std::uint8_t shape = bytes[pad_offset::kShape];
        if (!padShape(shape)) {
            add(FindingKind::PadShapeUnknown, slot, name, position + pad_offset::kShape,
                "a Pad of shape " + std::to_string(shape) + ", outside 1 to 4: kept but not drawn",
                false);
        }
    }
    if (kind == PrimitiveType::String) {
        const std::uint8_t orientation = bytes[string_offset::kOrientation];
        if (!stringOrientation(orientation)) {
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
        if (clash.kind == NameClash::Kind::Duplicate) {
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
    // explained by a finding of the walk, or the check says it does not know why.
    const bool explained = tailPrimitivesMove_ || hasStructuralFinding();
    report_.componentCount = loaded_.size();
    const SavePrediction save(image_, loaded_);
    if (const auto writable = save.checkWritable(); !writable) {
        add(FindingKind::SaveRefused, {}, {}, {}, "a save is refused: " + writable.reason, true);
        return;
    }
    report_.reproducesFile = !save.firstSaveDifference();
    if (report_.reproducesFile) return;

    if (loaded_.size() >= 2 || primitivesReordered_) {
        std::string message =
            "a save writes the components in reverse directory order and reorders their "
            "primitives (MultiLayer Pads and Vias last)";
        if (tailPrimitivesMove_) {
            message += "; MultiLayer Pads or Vias before other primitives stay last after it";
        } else if (!explained) {
            message += "; a second save restores the order";
        }
        // How the format works, not damage: a note.
        report_.notes.push_back(
            {FindingKind::OrderReversed, {}, {}, {}, std::move(message), false});
    }
    if (explained) return;
    if (const auto mismatch = save.secondSaveDifference()) {
        add(FindingKind::RoundTripDiffers, {}, {}, *mismatch,
            "a save changes the file here for a reason the check does not know", true);
    }
}

}  // namespace

LibraryCheckReport checkLibraryImage(std::span<const std::uint8_t> image) {
    return ImageChecker(image).run();
}
