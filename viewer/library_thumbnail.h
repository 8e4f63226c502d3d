#pragma once

#include <QImage>

#include <cstddef>
#include <span>

class Component;

/// How a thumbnail of a number of components at a side length is laid out: a grid of
/// `columns` x `columns` square cells of `cellSide` pixels, of which the first `shown` are
/// used, row by row, the rows in use centred on the square.
struct ThumbnailLayout {
    int columns = 1;
    int cellSide = 1;
    std::size_t shown = 0;
    /// The top of the first row, so that a grid of fewer rows than columns sits in the middle.
    int top = 0;

    /// The layout for `count` components at `side` pixels: one component fills the square; more
    /// share it in the smallest square grid that holds them all, but never in cells smaller
    /// than `kMinCellSide`, where a footprint's pads run together, nor in more than
    /// `kMaxColumns` columns, beyond which the cells read as a texture rather than as
    /// components; the grid then shows the first components that fit. None shown for a count
    /// of 0.
    static ThumbnailLayout forCount(std::size_t count, int side);
};

/// The smallest cell a component is drawn into, in pixels.
inline constexpr int kMinCellSide = 40;
/// The most cells in a row (and rows) of a thumbnail.
inline constexpr int kMaxColumns = 4;

/// The picture of `components` (in the order they should appear) for a file manager: a square
/// of `side` x `side` pixels, transparent, with each component laid out by `ThumbnailLayout`
/// and drawn as the window's viewer draws it (its fit, palette and stroke font) inside a small
/// margin of its cell. A side below 1 is taken as 1. Needs no QGuiApplication: nothing is drawn
/// with Qt's fonts.
QImage renderThumbnail(std::span<const Component* const> components, int side);

/// Whether the viewer draws anything of `component`: it has primitives and its box has a width
/// and a height. A thumbnail leaves out components that would give an empty cell.
bool drawsSomething(const Component& component);
