// What the tests of the application share: the state they work on, as a front end holds
// its own; a command line's options and --print; the teaching view of a scene; a console
// dialogue's transcript.
#pragma once

#include "app/console.h"
#include "app/layout.h"
#include "app/options.h"
#include "app/scene.h"
#include "app/state.h"
#include "core/clip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

inline AppState app;

inline const char* const HIT_TEXT = "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }";

// The options of a command line.
inline Options parse(const std::string& line) {
    std::istringstream words("ray-box-collision " + line);
    std::vector<std::string> owned{std::istream_iterator<std::string>(words), {}};
    std::vector<const char*> argv;
    for (const std::string& word : owned) {
        argv.push_back(word.c_str());
    }
    const Options options = parseOptions(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(options.error, "") << line;
    return options;
}

// What --print writes for a command line.
inline std::string printed(const std::string& line) {
    return written([&](std::FILE* out) { printAnswer(parse(line), out); });
}

// The current scene's frame.
inline FrameLayout laidOut() {
    return layoutFrame(app, testScene(app.scene));
}

// The teaching view of a command line's scene in a window of this size; its layout.
inline FrameLayout teach(const std::string& line, int width = 640, int height = 480) {
    app = AppState{};
    applyOptions(parse(line), app);
    app.windowWidth = width;
    app.windowHeight = height;
    app.teachingView = true;
    return laidOut();
}

// The marks of the picture, those of the number line of t left out.
inline std::vector<MarkItem> pictureMarks(const FrameLayout& f) {
    std::vector<MarkItem> marks;
    std::copy_if(f.marks.begin(), f.marks.end(), std::back_inserter(marks),
                 [&](const MarkItem& m) { return !f.band || m.y > f.bandBox.y1; });
    return marks;
}

// A scene point in a layout's window pixels.
inline std::array<double, 2> pixelOf(const FrameLayout& f, double x, double y) {
    return {(x - f.view.originX) / f.view.units, (y - f.view.originY) / f.view.units};
}

// The texts of a layout whose role is this one.
inline std::vector<TextItem> textsOf(const FrameLayout& f, TextRole role) {
    std::vector<TextItem> found;
    for (const auto* texts : {&f.texts, &f.teachingTexts}) {
        std::copy_if(texts->begin(), texts->end(), std::back_inserter(found),
                     [&](const TextItem& text) { return text.role == role; });
    }
    return found;
}

// What crosses a text in a layout, or nothing: a line or a mark over a text's box, or a
// label over another text.
inline std::string crossings(const FrameLayout& f) {
    std::vector<TextItem> texts = f.texts;
    texts.insert(texts.end(), f.teachingTexts.begin(), f.teachingTexts.end());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const PixelBox& b = texts[i].box;
        std::vector<LineItem> lines = f.lines;
        lines.insert(lines.end(), f.bandLines.begin(), f.bandLines.end());
        for (const LineItem& line : lines) {
            const double m = line.width / 2.0;
            double from[2] = {line.x0, line.y0};
            double to[2] = {line.x1, line.y1};
            if (clipSegment(Rect{b.x0 - m, b.y0 - m, b.x1 + m, b.y1 + m}, from, to)) {
                return "a line crosses '" + texts[i].text + "'";
            }
        }
        for (const MarkItem& mark : f.marks) {
            const double h = mark.size / 2.0;
            if (overlaps({mark.x - h, mark.y - h, mark.x + h, mark.y + h}, b)) {
                return "a mark lies on '" + texts[i].text + "'";
            }
        }
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const bool label = texts[i].role == TEXT_LABEL || texts[j].role == TEXT_LABEL;
            if (label && overlaps(b, texts[j].box)) {
                return "'" + texts[i].text + "' and '" + texts[j].text + "' overlap";
            }
        }
    }
    return {};
}
