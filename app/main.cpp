// halvex16 and halvex32: the same program, asking for a 16-bit or a 32-bit pixel format.
#include "app/entry.h"
#include "app/settings.h"

int main() {
    requestedColorBits = HALVEX_COLOR_BITS;
    return runHalvex();
}
