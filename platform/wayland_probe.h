// A look at the Wayland compositor before SDL starts its video: what SDL 2 cannot start on is avoided.
#pragma once

// When SDL would start its Wayland driver, asks the compositor for its globals first. A compositor with
// no input seat makes SDL 2.26's Wayland driver crash inside SDL_Init, so the program then takes the X11
// server beside it (XWayland) or, with none, says why on standard error and returns false.
bool chooseVideoDriverForCompositor();
