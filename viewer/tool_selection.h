#pragma once

#include "canvas.h"

/// Selects a pen into a canvas for as long as it lives and then selects the previous pen back.
class PenSelection {
public:
    PenSelection(Canvas& canvas, const Pen& pen)
        : canvas_(canvas), previous_(canvas.selectPen(pen)) {}
    ~PenSelection() { canvas_.selectPen(previous_); }
    PenSelection(const PenSelection&) = delete;
    PenSelection& operator=(const PenSelection&) = delete;

private:
    Canvas& canvas_;
    Pen previous_;
};

/// Selects a brush into a canvas for as long as it lives and then selects the previous brush back.
class BrushSelection {
public:
    BrushSelection(Canvas& canvas, const Brush& brush)
        : canvas_(canvas), previous_(canvas.selectBrush(brush)) {}
    ~BrushSelection() { canvas_.selectBrush(previous_); }
    BrushSelection(const BrushSelection&) = delete;
    BrushSelection& operator=(const BrushSelection&) = delete;

private:
    Canvas& canvas_;
    Brush previous_;
};

/// An outline pen and a brush of one colour, for a filled figure with a border of its own colour:
/// the pen is selected first, and the brush is put back first.
class FigureTools {
public:
    FigureTools(Canvas& canvas, Rgb colour)
        : pen_(canvas, Pen::outline(colour)), brush_(canvas, Brush{colour}) {}

private:
    PenSelection pen_;
    BrushSelection brush_;
};
