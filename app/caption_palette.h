// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QPalette>

// The window's captions are blue, as its layout was drawn.
inline QPalette CaptionPalette(QPalette base) {
  base.setColor(QPalette::WindowText, Qt::blue);
  return base;
}
