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

// Two of DrawFrame's steps, callable on their own so that the benchmarks can time the frame's CPU
// work apart from OpenGL: every non-key pixel of readbackPixels over screenPixels, opaque; and the
// fourteen overlay lines.
void CompositeReadback();
void DrawOverlayText();
