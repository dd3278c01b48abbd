// Composition of one frame: backdrop, the spinning cube through the colour key, overlay text and
// the crosshair.
#pragma once

// The colour that the clear colour reads back as in the current context; the composite leaves
// exactly these pixels to the backdrop.
extern unsigned char colourKey[3];

// Reads the clear colour back from the current context into colourKey. Called once each time a
// context is made, after the clear colour has been set.
void ProbeColourKey();
// Composes the next frame into screenPixels and sets the pixel zoom. Always 1.
int DrawFrame();
