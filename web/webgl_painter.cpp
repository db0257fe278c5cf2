// Paints a frame's layout with WebGL: the box, lines as quads of their width (WebGL draws
// lines one pixel wide at most), marks as squares, the arrow head; the texts go to the
// page, which writes them with its monospace font over the scene.
#include "web/webgl_painter.h"

#include <GLES2/gl2.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <vector>

// Clears the text canvas, or writes one text with its baseline's left end at (x, y) window
// pixels from the bottom-left corner, in a colour of 0 to 1 a channel.
EM_JS(void, clearTexts, (), { Module.texts.clearRect(0, 0, 1e5, 1e5); });
EM_JS(void, writeText, (int x, int y, const char* text, float r, float g, float b), {
    const texts = Module.texts;
    texts.fillStyle =
        'rgb(' + Math.round(r * 255) + ',' + Math.round(g * 255) + ',' + Math.round(b * 255) + ')';
    texts.fillText(UTF8ToString(text), x, texts.canvas.height - y);
});

namespace {

// A vertex: its place in window pixels and its colour.
struct Vertex {
    float x;
    float y;
    float r;
    float g;
    float b;
};

GLuint program = 0;
GLuint buffer = 0;
GLint sizeUniform = -1;

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

void add(std::vector<Vertex>& triangles, double x, double y, const Colour& colour) {
    triangles.push_back(
        {static_cast<float>(x), static_cast<float>(y), colour.r, colour.g, colour.b});
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

void addMark(std::vector<Vertex>& triangles, const MarkItem& mark) {
    const double h = mark.size / 2.0;
    addLine(triangles, mark.x - h, mark.y, mark.x + h, mark.y, mark.size, mark.colour);
}

} // namespace

bool startPainter(const char* canvas) {
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
    program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, R"(
        attribute vec2 place;
        attribute vec3 colour;
        uniform vec2 size;
        varying vec3 shade;
        void main() {
            gl_Position = vec4(place / size * 2.0 - 1.0, 0.0, 1.0);
            shade = colour;
        })"));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, R"(
        precision mediump float;
        varying vec3 shade;
        void main() { gl_FragColor = vec4(shade, 1.0); })"));
    glBindAttribLocation(program, 0, "place");
    glBindAttribLocation(program, 1, "colour");
    glLinkProgram(program);
    glUseProgram(program);
    sizeUniform = glGetUniformLocation(program, "size");
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                          reinterpret_cast<const void*>(2 * sizeof(float)));
    return true;
}

// In the order the desktop paints them, but with every text over the shapes: the box, the
// teaching view's lines, the segment, the marks and the handles; then the texts.
void paintWebFrame(const FrameLayout& frame) {
    // Scene units become pixels in the usual view; a moved view's layout is in pixels.
    const double units = frame.pixelUnits ? 1.0 : frame.view.units;
    std::vector<Vertex> triangles;
    const auto corner = [&](const Corner& c) {
        add(triangles, c.x / units, c.y / units,
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
    for (const LineItem& line : frame.lines) {
        addLine(triangles, line.x0, line.y0, line.x1, line.y1, line.width, line.colour);
    }
    if (frame.segment) {
        addLine(triangles, frame.segmentFrom[0] / units, frame.segmentFrom[1] / units,
                frame.segmentTo[0] / units, frame.segmentTo[1] / units, frame.segmentWidth,
                {1, 1, 0});
    }
    for (const MarkItem& mark : frame.marks) {
        addMark(triangles, mark);
    }
    if (frame.startDot) {
        addMark(triangles, frame.start);
    }
    for (int i = 0; i < 3 && frame.arrow; ++i) {
        add(triangles, frame.arrowHead[i][0], frame.arrowHead[i][1], frame.start.colour);
    }
    glViewport(0, 0, frame.width, frame.height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glUniform2f(sizeUniform, static_cast<float>(frame.width), static_cast<float>(frame.height));
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(triangles.size() * sizeof(Vertex)),
                 triangles.data(), GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size()));
    clearTexts();
    for (const std::vector<TextItem>* texts : {&frame.teachingTexts, &frame.texts}) {
        for (const TextItem& text : *texts) {
            writeText(text.x, text.y, text.text.c_str(), text.colour.r, text.colour.g,
                      text.colour.b);
        }
    }
}
