// The command line's answer without a window: the options written into the state, and
// --print's outcome with its steps; the program's output flushed and checked.
#include "app/options.h"

#include "app/console.h"
#include "app/layout.h"
#include "app/ray_line.h"
#include "app/scene.h"
#include "app/view3d.h"
#include "core/explain.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The scene of twelve numbers: origin, direction, box min and max, the direction as given.
void takeRay(const float ray[12], Scene& scene) {
    std::copy(ray, ray + 3, scene.rayStart);
    std::copy(ray + 3, ray + 6, scene.rayDir);
    std::copy(ray + 6, ray + 12, scene.boxPlanes);
    scene.rayDirNormalised = 0;
}

// Reads line N of a file of rays, or of the corpus, into ray; false, with why, if there is
// no ray there.
bool readLine(const std::string& path, long wanted, float ray[12], std::string& why) {
    std::FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        why = "cannot read '" + shownWord(path) + "': " + std::strerror(errno);
        return false;
    }
    char* text = nullptr;
    std::size_t capacity = 0;
    ssize_t length = -1;
    for (long line = 0; line < wanted && (length = getline(&text, &capacity, in)) >= 0; ++line) {
    }
    // A line of the corpus carries its class after the numbers.
    std::string kind;
    const RayLineCheck check =
        length < 0 ? RAY_LINE_EMPTY
                   : readRayLine(text, text + length - (text[length - 1] == '\n' ? 1 : 0), ray, why,
                                 &kind);
    if (length < 0) {
        why = std::ferror(in) != 0
                  ? std::string("cannot read '") + shownWord(path) + "': " + std::strerror(errno)
                  : "'" + shownWord(path) + "' has no line " + std::to_string(wanted);
    } else if (check == RAY_LINE_EMPTY) {
        why = "line " + std::to_string(wanted) + " of '" + shownWord(path) + "' holds no ray";
    } else if (check == RAY_LINE_BAD) {
        why = "line " + std::to_string(wanted) + " of '" + shownWord(path) + "': " + why;
    }
    std::free(text);
    if (in != stdin) {
        std::fclose(in);
    }
    return check == RAY_LINE_OK;
}

} // namespace

void applyOptions(const Options& options, AppState& state) {
    Scene& scene = state.scene;
    if (options.hasStart) {
        scene.rayStart[0] = options.start[0];
        scene.rayStart[1] = options.start[1];
    }
    if (options.hasDir) {
        scene.rayDir[0] = options.dir[0];
        scene.rayDir[1] = options.dir[1];
        takeGivenDirection(scene);
    }
    if (options.hasBox && options.boxNumbers == 6) {
        std::copy(options.box, options.box + 6, scene.boxPlanes);
    } else if (options.hasBox) {
        scene.boxPlanes[0] = options.box[0];
        scene.boxPlanes[1] = options.box[1];
        scene.boxPlanes[3] = options.box[2];
        scene.boxPlanes[4] = options.box[3];
    }
    if (options.hasRay) {
        takeRay(options.ray, scene);
    }
    if (options.scene != nullptr) {
        takeScene(*options.scene, scene);
    }
    state.predict = options.predict;
    state.view3d = options.view3d;
    if (options.hasTurn) {
        state.azimuth = 0;
        state.elevation = 0;
        turnView(state, options.turn[0], options.turn[1]);
    }
    if (options.about) {
        state.aboutShown = 1;
    }
    state.teachingView = options.explain;
    state.method = options.method;
    if (options.method.kind != METHOD_CANDIDATE) {
        state.otherMethod = options.method;
    }
    resetView(state);
    if (options.frame) {
        frameScene(state);
    }
    state.walkStep = options.step - 1;
}

int finishOutput(std::FILE* out) {
    errno = 0;
    // A reader that stopped reading, as in "--help | head -1", wanted no more.
    if ((std::fflush(out) == 0 && std::ferror(out) == 0) || errno == EPIPE) {
        return 0;
    }
    std::fprintf(stderr, "ray-box-collision: cannot write the output: %s\n",
                 errno != 0 ? std::strerror(errno) : "write error");
    return 1;
}

int writeOutput(std::FILE* out, const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), out) == text.size()) {
        return finishOutput(out);
    }
    const int cause = errno != 0 ? errno : EIO;
    std::clearerr(out);
    if (cause == EPIPE) {
        return 0;
    }
    std::fprintf(stderr, "ray-box-collision: cannot write the output: %s\n", std::strerror(cause));
    return 1;
}

bool printAnswer(const Options& options, std::FILE* out, std::FILE* err) {
    AppState state;
    applyOptions(options, state);
    if (options.line > 0) {
        float ray[12];
        std::string why;
        if (!readLine(options.rays, options.line, ray, why)) {
            std::fprintf(err, "ray-box-collision: %s\n", why.c_str());
            return false;
        }
        takeRay(ray, state.scene);
    }
    const Scene& scene = state.scene;
    if (options.explain) {
        for (const std::string& line : sceneSteps(scene, options.method)) {
            std::fprintf(out, "%s\n", line.c_str());
        }
        return true;
    }
    const Answer answer = sceneAnswer(scene, options.method);
    std::fprintf(out, "%s\n", outcomeOf(answer.result, answer.hit).c_str());
    return true;
}
