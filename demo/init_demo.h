// Loads everything the scenes draw and sets the render state; demo time 0 is the end of loading.
#pragma once
#include "app/window.h"

void initDemo(WindowHandle window);
