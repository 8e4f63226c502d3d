#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The words of a check: what it can find, how a finding is told, and what it concludes.

/// What a check can find in a library file, or in a library held in memory.
enum class FindingKind {
    NotALibrary,              ///< bytes 3 to 15 do not carry the signature
    FileTooShort,             ///< fewer than 16 bytes: no header at all
    DirectoryCut,             ///< the file ends inside the 200 directory slots
    CountBeyondRecords,       ///< the entry counts more primitives than the file holds
    RecordsOverlap,           ///< two components read the same bytes
    RecordsOverlapDirectory,  ///< a component's records start inside the header or directory
    UnknownRecordType,        ///< a record of a type no component keeps: a save drops it
    SecondRecordCut,          ///< a Pad or String whose second record the file cuts short
    TextTooLong,              ///< a String's textLength above 13
    NameEmpty,                ///< nameLength 0
    NameTooLong,              ///< nameLength above 13
    ZeroInName,               ///< a zero byte within the name's length
    DuplicateName,            ///< the same name twice: the earlier slot is never found by name
    DuplicateNameCase,        ///< names that differ only in letter case
    LayerOutOfRange,          ///< a primitive's layer outside 1 to 13
    PadShapeUnknown,          ///< a Pad shape outside 1 to 4: not drawn
    OrientationUnknown,       ///< a String orientation outside the eight codes
    TooManyComponents,        ///< more than 200 components: no file can hold them
    EntryWithoutPrimitives,   ///< count or index say "no primitives" in a way a save rewrites
    SaveRefused,              ///< the library cannot be written as a file at all
    OrderReversed,            ///< a save writes components and primitives in another order: a note
    HeaderBytes,              ///< header bytes 0 to 2 are not 00 00 0D
    JunkInEmptySlot,          ///< an empty slot holds more than the empty-slot pattern
    SlotsNotPacked,           ///< empty slots lie between components
    RecordBlocksOutOfOrder,   ///< record blocks do not follow the directory order
    Gap,                      ///< bytes in the record area that no component reads
    TrailingBytes,            ///< bytes after the last record any component reads
    RoundTripDiffers,         ///< a save changes the file in a way none of the above explains
};

/// The short stable name of a kind, for scripts: "unknown-record-type" and so on.
std::string_view findingKindName(FindingKind kind);

/// One thing a check found.
struct Finding {
    FindingKind kind;
    /// The directory slot (0 to 199) it concerns; for a library in memory, the list position
    /// (the slot a save would give it).
    std::optional<std::size_t> slot;
    /// The component's name as listed (8-bit codes, unconverted).
    std::optional<std::string> componentName;
    /// Where in the file it lies; none for a library in memory.
    std::optional<std::size_t> offset;
    /// One line of plain English, without the name or the offset.
    std::string message;
    /// True when saving the library would drop or change a component, a record or a byte that
    /// the loader carries. Reordering, rewritten header bytes, gaps, trailing bytes and junk in
    /// empty slots lose nothing: the loader never carries them.
    bool losesData = false;
};

/// What a check says about saving the file: the exit status of a checking tool follows it.
enum class CheckVerdict {
    KeepsEverything,  ///< a save keeps every component, record and carried byte
    LosesData,        ///< a save drops or changes data
    NotALibrary,      ///< the file is no library: there is nothing a save could keep
};

/// The result of checking one file image.
struct LibraryCheckReport {
    bool isLibrary = false;
    std::size_t fileSize = 0;
    /// Components the loader makes from the file.
    std::size_t componentCount = 0;
    /// True when a load followed by a save gives exactly the bytes of the file.
    bool reproducesFile = false;
    /// In file order: file-level findings first, then by slot, then the round-trip reasons.
    std::vector<Finding> findings;
    /// What a save changes that is how the format works rather than damage: a save writes the
    /// components and their primitives in another order than a file laid out by a save holds
    /// them (OrderReversed). Notes never lose data.
    std::vector<Finding> notes;

    CheckVerdict verdict() const;
};
