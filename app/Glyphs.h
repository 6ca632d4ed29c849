#pragma once
// The main window's small pictures, drawn in code: the view-style buttons'
// glyphs and the tool-bar image list (its image 4 is the stop sign).
#include <memory>

#include "framework/Bitmap.h"
#include "framework/ImageList.h"

// A 16 x 16 glyph for view-style tag 1 (icons), 2 (list) or 3 (report), on a
// background colour that the button draws transparent.
std::unique_ptr<fw::TBitmap> ViewStyleGlyph(int Tag);
// Fills a 30 x 30 image list with its five images (0 to 3 empty frames, 4 stop).
void AddToolBarImages(fw::TImageList* Images);
