#pragma once

#include <QFont>
#include <QStringList>

/// `font`, or the largest smaller size of it in which every one of `texts` is at most `width`
/// pixels wide, so that a control of fixed width never cuts its text whatever font the desktop
/// gives the window. Never smaller than 6 pixels.
QFont fontFittingWidth(const QFont& font, const QStringList& texts, int width);
