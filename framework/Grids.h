#pragma once
// Grids of cells: TCustomGrid (CustomGrid.h), its in-place editors (InplaceEdit.h),
// TDrawGrid and TStringGrid (StringGrid.h).
#include "framework/CustomGrid.h"
#include "framework/InplaceEdit.h"
#include "framework/StringGrid.h"
