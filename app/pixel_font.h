// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QFont>

// The window's texts are sized in pixels, as their layout was drawn.
inline QFont PixelFont(const QFont& base, int pixels) {
  QFont font(base);
  font.setPixelSize(pixels);
  return font;
}
