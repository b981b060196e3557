#pragma once

#include <QString>

// A wallpaper layout for the demo task: an RGB TIFF at 150 dpi, a little over two strips
// of 104 cm wide and a few centimetres high, so the demo cuts it in a moment.
inline constexpr int kDemoLayoutWidth = 12900;
inline constexpr int kDemoLayoutHeight = 420;

// Writes it (deflate-compressed unless told otherwise) to path, row by row; false when the
// file could not be written.
bool writeDemoLayout(const QString &path, int width = kDemoLayoutWidth, int height = kDemoLayoutHeight,
                     bool compressed = true);
