#include "check_finding.h"

#include <algorithm>

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
    if (!isLibrary) return CheckVerdict::NotALibrary;
    const bool loses =
        std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.losesData; });
    return loses ? CheckVerdict::LosesData : CheckVerdict::KeepsEverything;
}
