#pragma once
// The main window's layout: the menu screen, the entry screen with its fields,
// commands and small toggles, the date picker, the three lookup maintenance
// frames, the clock, the link picture and the maker's line.
#include "gui/kit/WindowLayout.h"

const windowlayout::Layout &mainWindowLayout();
