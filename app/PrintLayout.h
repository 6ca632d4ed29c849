#pragma once
// The print layout: a listing's grid and its caption laid out on the pages of the
// print-preview window's page store, ready to be shown and printed. Wide listings
// (more than three columns) fill the page width with the grid and put the caption
// half an inch under it; narrow ones go into a column three inches wide with the
// caption above the grid. Margins are half an inch on every side. The main
// window's print command prepares its grid, calls this, then shows the preview.
#include <string>

#include "app/PrintPreview.h"
#include "framework/Graphics.h"
#include "framework/Grids.h"

// Records Grid (without its last, empty row) and Caption (word-wrapped in
// CaptionFont, continued on further pages as needed) into Preview as a new job.
// A caption line or a grid row that cannot fit even on an empty page ends that
// part of the layout instead of adding pages without end. EPrinter when no
// printer is installed.
void LayOutListing(TPrintpreview* Preview, fw::TStringGrid* Grid, bool GridLines, const std::wstring& Caption,
                   fw::TFont* CaptionFont);
