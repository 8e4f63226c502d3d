#pragma once

/// Makes the application Qt needs to paint into images, once and only when a command draws.
/// Drawing never needs a screen, so the offscreen platform is used unless one is asked for.
void ensureGuiApplication();
