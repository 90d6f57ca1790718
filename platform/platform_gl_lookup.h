// Looking up OpenGL entry points by name through the platform layer (the context must be current).
#pragma once

// The address the platform gives for the name. It may be non-null even for a function the driver does
// not have: decide presence from the extension string, never from this pointer.
void* lookupGlEntryPoint(const char* name);
