#pragma once

#include <QByteArray>
#include <QImage>

/// The PNG of `image`. One of at most 256 colours (a component's picture or a thumbnail has a
/// handful: the layer colours, the background or transparency) is written as 8-bit palette
/// pixels, with the alpha of each palette entry, which encode several times faster and several
/// times smaller than 32-bit ones and decode to the very same pixels; any other image as 32-bit
/// pixels. Empty when encoding fails.
QByteArray encodePng(const QImage& image);
