#pragma once

#include <QImage>
#include <QRgb>

#include <array>
#include <string_view>

/// Resource identifiers of the three lamp images, as the main window hands them to its lamp.
inline constexpr int kIdleLampImage = 134;
inline constexpr int kFullLampImage = 133;
inline constexpr int kDuplicateLampImage = 130;

/// Width and height of every lamp image, in pixels.
inline constexpr int kLampImageSize = 14;

/// One letter of the pixel tables and the colour it stands for. White is the transparent colour:
/// the lamp paints it as the button face.
struct LampColour {
    char letter;
    QRgb rgb;
};

inline constexpr std::array<LampColour, 9> kLampColours{{
    {'.', qRgb(0xFF, 0xFF, 0xFF)},  // white, shown as background
    {'K', qRgb(0x00, 0x00, 0x00)},  // black
    {'S', qRgb(0xC0, 0xC0, 0xC0)},  // light grey
    {'M', qRgb(0x80, 0x00, 0x00)},  // dark red
    {'R', qRgb(0xFF, 0x00, 0x00)},  // red
    {'Y', qRgb(0xFF, 0xFF, 0x00)},  // yellow
    {'B', qRgb(0x00, 0x00, 0xFF)},  // blue
    {'C', qRgb(0x00, 0xFF, 0xFF)},  // cyan
    {'T', qRgb(0x00, 0x80, 0x80)},  // dark cyan
}};

/// A lamp image as rows of letters, top to bottom, one letter per pixel from left to right.
struct LampPixels {
    int id;
    std::array<std::string_view, kLampImageSize> rows;
};

inline constexpr std::array<LampPixels, 3> kLampImages{{
    {kIdleLampImage,
     {"....KKKKKK....", "...KSSSSSSK...", "..KSSSSSSSSK..", ".KSSSSSSSSSSK.", "KSSSSSSSSSSSSK",
      "KSSSSSSSSSSSSK", "KSSSSSSSSSSSSK", "KSSSSSSSSSSSSK", "KSSSSSSSSSSSSK", "KSSSSSSSSSSSSK",
      ".KSSSSSSSSSSK.", "..KSSSSSSSSK..", "...KSSSSSSK...", "....KKKKKK...."}},
    {kFullLampImage,
     {"....MMMMMM....", "...MRRRRRRM...", "..MRR..RRRRM..", ".MRR.YRRRRRRM.", "MRR.YRRRRRRRRM",
      "MR.YRRRRRRRRRM", "MR.RRRRRRRRRRM", "MR.RRRRRRRRRRM", "MRRRRRRRRRRRRM", "MRRRRRRRRRRRRM",
      ".MRRRRRRRRRRM.", "..MRRRRRRRRM..", "...MRRRRRRM...", "....MMMMMM...."}},
    {kDuplicateLampImage,
     {"....MMMMMM....", "...MBBBBBBM...", "..MBBC.CTBBM..", ".MBB.CBBBBBBM.", "MBB.CBBBBBBBBM",
      "MBCCBBBBBBBBBM", "MB.BBBBBBBBBBM", "MBCBBBBBBBBBBM", "MBTBBBBBBBBBBM", "MBBBBBBBBBBBBM",
      ".MBBBBBBBBBBM.", "..MBBBBBBBBM..", "...MBBBBBBM...", "....MMMMMM...."}},
}};

/// Builds the lamp image with resource identifier `id` from its pixel table, opaque 32-bit RGB.
/// An identifier that names no lamp image gives a null image, which paints nothing.
QImage lampImage(int id);
