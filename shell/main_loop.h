// The message loop: window events first, a frame whenever none is pending; then the ordered shutdown.
#pragma once

int runMainLoop();
