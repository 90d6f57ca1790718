// The scenes until their content lands: each leaves the cleared frame.
#include "demo/scenes.h"

int drawScene1(double) { return 1; }
int drawScene2(double) { return 1; }
int drawScene3(double) { return 1; }
int drawScene4(double) { return 1; }
