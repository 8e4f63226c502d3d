#pragma once

#include "canvas.h"
#include "layer_palette.h"
#include "primitive.h"
#include "view_transform.h"

// One painter per kind of primitive. Each reads the primitive's fields, maps them through the
// transform, draws in the palette colour of the primitive's layer with tools it selects and puts
// back, and keeps nothing. A primitive whose layer byte has no palette entry (48 or more) is not
// drawn, except a Via, which never uses its layer's colour. A painter given a primitive of
// another kind reads its bytes as its own kind; `paintPrimitive` chooses the right one.

/// Quarters of a circle by `quadrantFlags` bits 4, 2, 1 and 8, in that order, with a line pen at
/// least 1 pixel wide; the upper four bits are ignored.
void paintArc(Canvas& canvas, const Primitive& arc, const ViewTransform& transform,
              const LayerPalette& palette);

/// A rectangle between the two corners, without its right column and bottom row.
void paintFill(Canvas& canvas, const Primitive& fill, const ViewTransform& transform,
               const LayerPalette& palette);

/// Shape 1 round, 2 rectangle, 3 octagon, 4 rounded (a line along the longer side, or a circle
/// when the sides are equal); any other shape draws nothing. Sizes are scaled before they are
/// halved.
void paintPad(Canvas& canvas, const Primitive& pad, const ViewTransform& transform,
              const LayerPalette& palette);

/// A line with round ends, at least 1 pixel wide.
void paintTrack(Canvas& canvas, const Primitive& track, const ViewTransform& transform,
                const LayerPalette& palette);

/// The text with the stroke font; the stroke width is passed on as scaled, even when that is 0.
/// A length byte above 13 draws the 13 characters the record holds.
void paintString(Canvas& canvas, const Primitive& string, const ViewTransform& transform,
                 const LayerPalette& palette);

/// A MultiLayer disc with a background-coloured hole over it. Diameters are halved before they
/// are scaled.
void paintVia(Canvas& canvas, const Primitive& via, const ViewTransform& transform,
              const LayerPalette& palette);

/// Calls the painter of the primitive's kind; a type without one draws nothing.
void paintPrimitive(Canvas& canvas, const Primitive& primitive, const ViewTransform& transform,
                    const LayerPalette& palette);
