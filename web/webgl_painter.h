// Paints a frame's layout in the page: shapes with WebGL on the scene canvas, texts with
// the page's monospace font on the canvas over it.
#pragma once

#include "app/layout.h"

// Makes the WebGL context of the canvas with this CSS selector current and sets up what
// painting needs; false if the browser has no WebGL.
bool startPainter(const char* canvas);

// Paints the layout: only what it holds, where it says.
void paintWebFrame(const FrameLayout& frame);
