#pragma once
// Controls: the visual components, one file pair per class.
// TControl (Control.h) is the base; TWinControl (WinControl.h) has a window;
// TGraphicControl (GraphicControl.h) is painted by its parent; TCustomControl
// (CustomControl.h) paints itself; TControlCanvas (ControlCanvas.h) draws on them.
#include "framework/Control.h"
#include "framework/ControlCanvas.h"
#include "framework/CustomControl.h"
#include "framework/GraphicControl.h"
#include "framework/WinControl.h"
