// The form's group boxes, each made for one call from the form's controls
// and the panel state it may write (FormHandlers.cpp). For the form's own
// files only.
#pragma once

#include "KXActiveXForm.h"

#include "../boxes/InfoPointListBox.h"
#include "../boxes/MapToolBar.h"
#include "../boxes/SelectionBox.h"

TSelectionBox Selection(TKXActiveXForm &form);
TInfoPointListBox InfoPointList(TKXActiveXForm &form);
TMapToolBar MapToolBar(TKXActiveXForm &form);
