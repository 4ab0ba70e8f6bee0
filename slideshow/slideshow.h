// The slideshow scheduler: one step per idle turn, one frame per step.
#pragma once

void UpdateSlideshow();
// Draws one frame into the back buffer and pauses 20 ms; false when the
// frame equals the one last presented and need not be shown again.
int DrawFrame();
