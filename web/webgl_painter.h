// Paints a frame's layout in the page: shapes with WebGL on the scene canvas, texts with
// the page's monospace font on the canvas over it.
#pragma once

#include "app/layout.h"

#include <GLES2/gl2.h>

// What painting needs of WebGL, made once: the context, the shader program, its vertex
// buffer and the place of its window-size uniform.
struct WebPainter {
    int context = 0;
    GLuint program = 0;
    GLuint buffer = 0;
    GLint sizeUniform = -1;
};

// Makes the WebGL context of the canvas with this CSS selector current and sets up the
// painter; false if the browser has no WebGL.
bool startPainter(const char* canvas, WebPainter& painter);

// Paints the layout: only what it holds, where it says, scaled from its window pixels to
// the canvases' own.
void paintWebFrame(const WebPainter& painter, const FrameLayout& frame);
