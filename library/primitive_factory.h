#pragma once

#include "directory_entry.h"
#include "primitive.h"

#include <cstdint>
#include <string_view>

// Record bytes for new primitives and entries, built from their fields, for the KiCad import, the
// sample generator and the tests; what the program reads from a file it carries as it was read.
// Bytes the format does not interpret are zero. Values are stored as the file stores them: 16-bit
// fields keep their low 16 bits, 8-bit fields their low 8 bits.

Primitive makeArc(std::uint8_t layer, int x, int y, int radius, int quadrantFlags, int lineWidth);
Primitive makeFill(std::uint8_t layer, int x1, int y1, int x2, int y2);
Primitive makePad(std::uint8_t layer, int x, int y, int xSize, int ySize, int shape);
Primitive makeTrack(std::uint8_t layer, int x1, int y1, int x2, int y2, int width);
/// `text` is stored as its bytes; only its first 13 fit, and the length byte says how many.
Primitive makeString(std::uint8_t layer, int x, int y, int height, int lineWidth, int orientation,
                     std::string_view text);
Primitive makeVia(std::uint8_t layer, int x, int y, int diameter, int holeDiameter);

/// A directory entry naming a component; count and index are what a save would rewrite.
DirectoryEntry makeEntry(std::string_view name, int primitiveCount = 0, int firstRecordIndex = 0);
