// The scenes rehearsed at the end of loading, so nothing is done for the first time during the demo.
#pragma once

// Draws each scene once or a few times, small, into the back buffer (which the first frame clears) and
// then puts back everything the scenes changed: render state, shared scene state, particles, spawn
// timer, sound setting. The software rasteriser compiles a program for every new combination of
// render state when it first draws with it; here that happens while loading, not mid-scene. Needs the
// multitexture entry points and the display lists.
void rehearseScenes();
