// Paints a frame's layout in the order app/layout.h gives: the box, the 3D view's faces
// blended back to front, and the lines with WebGL (lines as quads of their width: WebGL draws lines
// one pixel wide at most); then on the page's text canvas over it, the segment, the number line of
// t on its plate, the teaching view's texts on their plates, the marks and handles, and the frame's
// own texts.
#include "web/webgl_painter.h"

#include <GLES2/gl2.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <vector>

// Clears the text canvas and scales it from window pixels to its own, whatever its size;
// or writes one text with its baseline's left end at (x, y) window pixels from the
// bottom-left corner, in a colour of 0 to 1 a channel.
EM_JS(void, clearTexts, (int width, int height), {
    const texts = Module.texts;
    texts.setTransform(1, 0, 0, 1, 0, 0);
    texts.clearRect(0, 0, texts.canvas.width, texts.canvas.height);
    texts.setTransform(texts.canvas.width / width, 0, 0, texts.canvas.height / height, 0, 0);
    Module.textsHeight = height;
});
EM_JS(void, writeText, (int x, int y, const char* text, float r, float g, float b), {
    const texts = Module.texts;
    texts.fillStyle =
        'rgb(' + Math.round(r * 255) + ',' + Math.round(g * 255) + ',' + Math.round(b * 255) + ')';
    texts.fillText(UTF8ToString(text), x, Module.textsHeight - y);
});

// Fills a polygon of this many corners, x and y a corner in window pixels from the
// bottom-left corner, on the text canvas.
EM_JS(void, fillPolygon, (const float* xy, int corners, float r, float g, float b), {
    const texts = Module.texts;
    texts.fillStyle =
        'rgb(' + Math.round(r * 255) + ',' + Math.round(g * 255) + ',' + Math.round(b * 255) + ')';
    texts.beginPath();
    for (let i = 0; i < corners; ++i) {
        const x = HEAPF32[(xy >> 2) + 2 * i];
        const y = Module.textsHeight - HEAPF32[(xy >> 2) + 2 * i + 1];
        i > 0 ? texts.lineTo(x, y) : texts.moveTo(x, y);
    }
    texts.fill();
});

namespace {

// A vertex: its place in window pixels, its colour and how opaque it is.
struct Vertex {
    float x;
    float y;
    float r;
    float g;
    float b;
    float a;
};

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

void add(std::vector<Vertex>& triangles, double x, double y, const Colour& colour,
         float alpha = 1.0f) {
    triangles.push_back(
        {static_cast<float>(x), static_cast<float>(y), colour.r, colour.g, colour.b, alpha});
}

// A line as the quad of its width round it, two triangles.
void addLine(std::vector<Vertex>& triangles, double x0, double y0, double x1, double y1,
             double width, const Colour& colour) {
    const double length = std::hypot(x1 - x0, y1 - y0);
    if (!(length > 0.0)) {
        return;
    }
    const double nx = -(y1 - y0) / length * width / 2;
    const double ny = (x1 - x0) / length * width / 2;
    for (const auto& [x, y] : {std::pair{x0 + nx, y0 + ny},
                               {x0 - nx, y0 - ny},
                               {x1 - nx, y1 - ny},
                               {x0 + nx, y0 + ny},
                               {x1 - nx, y1 - ny},
                               {x1 + nx, y1 + ny}}) {
        add(triangles, x, y, colour);
    }
}

// A line on the text canvas, as the quad of its width round it.
void fillLine(double x0, double y0, double x1, double y1, double width, const Colour& colour) {
    std::vector<Vertex> quad;
    addLine(quad, x0, y0, x1, y1, width, colour);
    if (quad.size() == 6) {
        const float xy[] = {quad[0].x, quad[0].y, quad[1].x, quad[1].y,
                            quad[2].x, quad[2].y, quad[5].x, quad[5].y};
        fillPolygon(xy, 4, colour.r, colour.g, colour.b);
    }
}

// A mark: the square of its size round its place.
void fillMark(const MarkItem& mark) {
    const double h = mark.size / 2.0;
    fillLine(mark.x - h, mark.y, mark.x + h, mark.y, mark.size, mark.colour);
}

} // namespace

bool startPainter(const char* canvas, WebPainter& painter) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.antialias = EM_FALSE;
    attributes.alpha = EM_FALSE;
    // The page reads the picture back to copy and test it.
    attributes.preserveDrawingBuffer = EM_TRUE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0 ||
        emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return false;
    }
    const GLuint program = glCreateProgram();
    painter.context = context;
    painter.program = program;
    glAttachShader(program, compile(GL_VERTEX_SHADER, R"(
        attribute vec2 place;
        attribute vec4 colour;
        uniform vec2 size;
        varying vec4 shade;
        void main() {
            gl_Position = vec4(place / size * 2.0 - 1.0, 0.0, 1.0);
            shade = colour;
        })"));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, R"(
        precision mediump float;
        varying vec4 shade;
        void main() { gl_FragColor = shade; })"));
    glBindAttribLocation(program, 0, "place");
    glBindAttribLocation(program, 1, "colour");
    glLinkProgram(program);
    glUseProgram(program);
    painter.sizeUniform = glGetUniformLocation(program, "size");
    glGenBuffers(1, &painter.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, painter.buffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(2 * sizeof(float)));
    // The 3D view's faces are blended over what lies under them; all else is opaque.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return true;
}

// In the order the desktop paints them, but with every text over the shapes: the box, the
// teaching view's lines, the segment, the marks and the handles; then the texts.
void paintWebFrame(const WebPainter& painter, const FrameLayout& frame) {
    std::vector<Vertex> triangles;
    const auto corner = [&](const Corner& c) {
        add(triangles, c.x, c.y,
            {static_cast<float>(c.rgb[0]), static_cast<float>(c.rgb[1]),
             static_cast<float>(c.rgb[2])});
    };
    if (frame.boxWhole) {
        for (const int i : {0, 1, 2, 0, 2, 3}) {
            corner(frame.boxQuad[static_cast<std::size_t>(i)]);
        }
    }
    for (int t = 0; t < 2 && !frame.boxWhole; ++t) {
        for (int i = 1; i + 1 < frame.boxPieces.count[t]; ++i) {
            for (const int k : {0, i, i + 1}) {
                corner(frame.boxPieces.corners[t][k]);
            }
        }
    }
    for (const LineItem& line : frame.backLines) {
        addLine(triangles, line.x0, line.y0, line.x1, line.y1, line.width, line.colour);
    }
    for (const TriangleItem& triangle : frame.triangles) {
        for (std::size_t i = 0; i < 3; ++i) {
            add(triangles, triangle.corners[i][0], triangle.corners[i][1], triangle.colours[i],
                triangle.alpha);
        }
    }
    for (const LineItem& line : frame.lines) {
        addLine(triangles, line.x0, line.y0, line.x1, line.y1, line.width, line.colour);
    }
    // The canvas's own pixels may be more than the window's: the device's pixel ratio.
    int pixelsWide = 0;
    int pixelsHigh = 0;
    emscripten_webgl_get_drawing_buffer_size(painter.context, &pixelsWide, &pixelsHigh);
    glViewport(0, 0, pixelsWide, pixelsHigh);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glUniform2f(painter.sizeUniform, static_cast<float>(frame.width),
                static_cast<float>(frame.height));
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(triangles.size() * sizeof(Vertex)),
                 triangles.data(), GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size()));
    clearTexts(frame.width, frame.height);
    const auto write = [](const TextItem& text) {
        writeText(text.x, text.y, text.text.c_str(), text.colour.r, text.colour.g, text.colour.b);
    };
    if (frame.segment) {
        fillLine(frame.segmentFrom[0], frame.segmentFrom[1], frame.segmentTo[0], frame.segmentTo[1],
                 frame.segmentWidth, {1, 1, 0});
    }
    const auto fillPlate = [](const PixelBox& b) {
        const float plate[] = {static_cast<float>(b.x0), static_cast<float>(b.y0),
                               static_cast<float>(b.x1), static_cast<float>(b.y0),
                               static_cast<float>(b.x1), static_cast<float>(b.y1),
                               static_cast<float>(b.x0), static_cast<float>(b.y1)};
        fillPolygon(plate, 4, 0, 0, 0);
    };
    if (frame.band) {
        fillPlate(frame.bandBox);
        for (const LineItem& line : frame.bandLines) {
            fillLine(line.x0, line.y0, line.x1, line.y1, line.width, line.colour);
        }
    }
    for (const TextItem& text : frame.teachingTexts) {
        fillPlate(text.box);
        write(text);
    }
    std::for_each(frame.marks.begin(), frame.marks.end(), fillMark);
    if (frame.startDot) {
        fillMark(frame.start);
    }
    if (frame.arrow) {
        float xy[6];
        for (std::size_t i = 0; i < 6; ++i) {
            xy[i] = static_cast<float>(frame.arrowHead[i / 2][i % 2]);
        }
        fillPolygon(xy, 3, frame.arrowColour.r, frame.arrowColour.g, frame.arrowColour.b);
    }
    std::for_each(frame.texts.begin(), frame.texts.end(), write);
}
