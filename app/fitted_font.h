#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>

/// `font`, or the largest smaller size of it in which every one of `texts` is at most `width`
/// pixels wide, so that a control of fixed width never cuts its text whatever font the desktop
/// gives the window. Never smaller than 6 pixels.
QFont fontFittingWidth(const QFont& font, const QStringList& texts, int width);

/// `font`, or the largest smaller size of it in which `text`, wrapped at word boundaries to
/// `room`'s width, is at most `room`'s height, so that a text box of fixed size shows all of its
/// text whatever font the desktop gives the window. Never smaller than 6 pixels.
QFont fontFittingBox(const QFont& font, const QString& text, QSize room);
