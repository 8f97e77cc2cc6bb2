// The form's four group boxes, which the form makes with itself and frees
// with itself (FormHandlers.cpp). For the form's own files only.
#pragma once

#include "KXActiveXForm.h"

#include "../boxes/InfoPointListBox.h"
#include "../boxes/MapToolBar.h"
#include "../boxes/PlayerBox.h"
#include "../boxes/SelectionBox.h"
