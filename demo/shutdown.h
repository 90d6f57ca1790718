// The ordered release of everything initDemo made, after the last frame.
#pragma once

void shutdownDemo();
