// The oracle's rays: read a block of lines at a time, answered on every core, written in
// input order; memory stays bounded whatever the input.
#include "oracle/rays.h"

#include "app/ray_line.h"
#include "core/explain.h"
#include "oracle/blocks.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// ",hit,t,x,y,z", or the outcome and empty fields; a t of -0 written 0.
void putAnswer(std::string& out, const Answer& answer) {
    out += ',';
    out += resultName(answer.result);
    if (answer.result != RAY_HIT) {
        out += ",,,,";
        return;
    }
    for (const float value :
         {answer.t == 0.0f ? 0.0f : answer.t, answer.hit[0], answer.hit[1], answer.hit[2]}) {
        out += ',';
        appendShortest(out, value);
    }
}

bool sameBits(float a, float b) {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// A line that could not be answered: its error line, and why on the error stream.
void refuseLine(Block& block, long line, const OracleRun& run, const std::string& why) {
    block.out += std::to_string(line) + (run.both ? ",error,,,,,,,,,,," : ",error,,,,") +
                 (run.classes ? ",\n" : "\n");
    block.refuse(line, why);
}

void answerLine(const char* p, const char* end, long line, const OracleRun& run, Block& block) {
    float v[12];
    std::string why;
    std::string kind;
    const RayLineCheck check = static_cast<std::size_t>(end - p) > LONGEST_LINE
                                   ? RAY_LINE_BAD
                                   : readRayLine(p, end, v, why, run.classes ? &kind : nullptr);
    if (check == RAY_LINE_EMPTY) {
        return;
    }
    if (check == RAY_LINE_BAD) {
        refuseLine(block, line, run,
                   why.empty() ? "longer than any line of 12 numbers needs" : why);
        return;
    }
    const float* origin = v;
    const float* dir = v + 3;
    const float* lo = v + 6;
    const float* hi = v + 9;
    const Answer first = answerOf(run.both ? Method{} : run.method, lo, hi, origin, dir);
    const Answer slab = run.both ? answerOf({METHOD_SLAB, {}}, lo, hi, origin, dir) : Answer{};
    const bool agree = first.result == slab.result;
    if (run.differ && agree) {
        return;
    }
    block.out += std::to_string(line);
    putAnswer(block.out, first);
    if (run.both) {
        putAnswer(block.out, slab);
        bool same = agree;
        if (agree && first.result == RAY_HIT) {
            same = sameBits(first.t, slab.t);
            for (int i = 0; i < 3; ++i) {
                same = same && sameBits(first.hit[i], slab.hit[i]);
            }
        }
        block.out += agree ? ",yes" : ",no";
        block.out += same ? ",yes" : ",no";
    }
    if (run.classes) {
        // The class as given, a CSV field of its own.
        block.out += ",";
        for (const char c : kind) {
            block.out += c == ',' || c == '\r' ? ' ' : c;
        }
    }
    block.out += '\n';
}

void answerBlock(Block& block, const OracleRun& run) {
    if (block.overlong) {
        refuseLine(block, block.first, run, "longer than any line of 12 numbers needs");
        return;
    }
    const char* p = block.text.data();
    const char* end = p + block.text.size();
    for (long line = block.first; p < end; ++line) {
        const char* next = std::find(p, end, '\n');
        answerLine(p, next, line, run, block);
        p = next == end ? end : next + 1;
    }
}

} // namespace

int answerRays(std::FILE* in, std::FILE* out, std::FILE* err, const OracleRun& run) {
    std::string header = run.both ? "line,outcome,t,x,y,z,slab_outcome,slab_t,slab_x,slab_y,"
                                    "slab_z,agree,same_point"
                                  : "line,outcome,t,x,y,z";
    std::fputs((header + (run.classes ? ",class\n" : "\n")).c_str(), out);
    bool bad = false;
    int writeError = 0;
    const int readError = forEachBlock(
        in, run.jobs, [](Block&) {}, [&](Block& block) { answerBlock(block, run); },
        [&](Block& block) {
            errno = 0;
            if (std::fwrite(block.out.data(), 1, block.out.size(), out) < block.out.size()) {
                writeError = errno != 0 ? errno : EIO;
            }
            std::fputs(block.err.c_str(), err);
            bad = bad || block.bad;
            return writeError == 0;
        });
    // A reader that has gone wanted no more; any other failure is said once, here.
    if (writeError != 0) {
        std::clearerr(out);
        if (writeError != EPIPE) {
            std::fprintf(err, "ray-box-collision: cannot write the output: %s\n",
                         std::strerror(writeError));
            return 1;
        }
    }
    if (readError != 0) {
        std::fprintf(err, "ray-box-collision: cannot read the rays: %s\n",
                     std::strerror(readError));
        bad = true;
    }
    return bad ? 1 : 0;
}
