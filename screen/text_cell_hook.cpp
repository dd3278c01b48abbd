#include "screen/text.h"

// Called for every cell the hooked text routine visits. It does nothing; it lives in a file of its
// own so that its calls stay real calls.
void TextCellHook(int x, int y, int tag) {
    (void)x;
    (void)y;
    (void)tag;
}
