// The oracle's rays: read a block of lines at a time, answered on every core, written in
// input order; memory stays the same whatever the size of the input.
#include "oracle/rays.h"

#include "app/shown_word.h"
#include "core/explain.h"
#include "core/ray_box.h"
#include "core/slab.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

// All the blocks in flight together take about this many bytes, however many jobs share them.
constexpr std::size_t BLOCKS_BYTES = std::size_t{16} << 20;

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r';
}

// Whether the text is this word, in any case.
bool isWord(const char* begin, const char* end, const char* word) {
    const auto length = static_cast<std::size_t>(end - begin);
    return length == std::strlen(word) && std::equal(begin, end, word, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// ",hit,t,x,y,z", or the outcome and empty fields.
void putAnswer(std::string& out, RayTestResult result, float t, const float hit[3]) {
    out += ',';
    out += resultName(result);
    if (result != RAY_HIT) {
        out += ",,,,";
        return;
    }
    for (const float value : {t, hit[0], hit[1], hit[2]}) {
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

// A block of whole lines, the number of its first line, and what answering it wrote.
struct Block {
    std::string text;
    long first = 1;
    bool overlong = false; // one line longer than a block, of which nothing was kept
    std::string out;
    std::string err;
    bool bad = false;
};

// A line that could not be answered: its error line, and why on the error stream.
void refuseLine(Block& block, long line, const OracleRun& run, const std::string& why) {
    block.out +=
        std::to_string(line) + (run.method == ORACLE_BOTH ? ",error,,,,,,,,,,," : ",error,,,,");
    block.out += '\n';
    block.err += "ray-box-collision: line " + std::to_string(line) + ": " + why + "\n";
    block.bad = true;
}

void answerLine(const char* p, const char* end, long line, const OracleRun& run, Block& block) {
    while (p < end && isSeparator(*p)) {
        ++p;
    }
    if (p == end || *p == '#') {
        return;
    }
    float v[12];
    int count = 0;
    while (p < end) {
        const char* word = p;
        while (p < end && !isSeparator(*p)) {
            ++p;
        }
        if (count == 12) {
            refuseLine(block, line, run, "more than 12 numbers");
            return;
        }
        if (!readOracleNumber(word, p, v[count])) {
            refuseLine(block, line, run,
                       "'" + shownWord(std::string(word, p)) + "' is not a number");
            return;
        }
        ++count;
        while (p < end && isSeparator(*p)) {
            ++p;
        }
    }
    if (count < 12) {
        refuseLine(block, line, run, std::to_string(count) + " numbers, not 12");
        return;
    }
    const float* origin = v;
    const float* dir = v + 3;
    const float* lo = v + 6;
    const float* hi = v + 9;
    RayTestRecord candidate;
    SlabTestRecord slab;
    if (run.method != ORACLE_SLAB) {
        rayBoxIntersect(lo, hi, origin, dir, candidate);
    }
    if (run.method != ORACLE_CANDIDATE) {
        slabIntersect(lo, hi, origin, dir, slab);
    }
    const bool agree = candidate.result == slab.result;
    if (run.differ && agree) {
        return;
    }
    block.out += std::to_string(line);
    if (run.method != ORACLE_SLAB) {
        putAnswer(block.out, candidate.result, candidate.entryT, candidate.hit);
    }
    if (run.method != ORACLE_CANDIDATE) {
        putAnswer(block.out, slab.result, slab.tnear, slab.hit);
    }
    if (run.method == ORACLE_BOTH) {
        bool same = agree;
        if (agree && candidate.result == RAY_HIT) {
            same = sameBits(candidate.entryT, slab.tnear);
            for (int i = 0; i < 3; ++i) {
                same = same && sameBits(candidate.hit[i], slab.hit[i]);
            }
        }
        block.out += agree ? ",yes" : ",no";
        block.out += same ? ",yes" : ",no";
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

// The input, a block of whole lines at a time.
class Reader {
  public:
    Reader(std::FILE* in, std::size_t size) : in_(in), size_(size), buffer_(size) {}

    // Fills the block with the next lines; false at the end of the input.
    bool next(Block& block) {
        if (ended_ && carry_.empty()) {
            return false;
        }
        block.text.swap(carry_);
        carry_.clear();
        block.overlong = false;
        block.first = line_;
        if (!ended_) {
            block.text.append(buffer_.data(), read());
        }
        const std::size_t last = block.text.rfind('\n');
        if (last != std::string::npos) {
            carry_.assign(block.text, last + 1);
            block.text.resize(last + 1);
        } else if (!ended_) {
            // A line longer than a block: counted, refused, and its bytes passed over.
            block.text.clear();
            block.overlong = true;
            skipLine();
            ++line_;
            return true;
        }
        line_ += static_cast<long>(std::count(block.text.begin(), block.text.end(), '\n'));
        line_ += !block.text.empty() && block.text.back() != '\n' ? 1 : 0;
        return true;
    }

    [[nodiscard]] bool failed() const {
        return failed_;
    }

  private:
    std::size_t read() {
        const std::size_t n = std::fread(buffer_.data(), 1, size_, in_);
        if (n < size_) {
            ended_ = true;
            failed_ = std::ferror(in_) != 0;
        }
        return n;
    }

    // Drops bytes up to the end of the current line; what follows it is kept.
    void skipLine() {
        while (!ended_) {
            const std::size_t n = read();
            const char* start = buffer_.data();
            const char* end = start + n;
            const char* newline = std::find(start, end, '\n');
            if (newline != end) {
                carry_.assign(newline + 1, end);
                return;
            }
        }
    }

    std::FILE* in_;
    std::size_t size_;
    std::vector<char> buffer_;
    std::string carry_;
    long line_ = 1;
    bool ended_ = false;
    bool failed_ = false;
};

} // namespace

bool readOracleNumber(const char* begin, const char* end, float& value) {
    const char* p = begin;
    const bool negative = p < end && *p == '-';
    p += p < end && (*p == '-' || *p == '+') ? 1 : 0;
    if (isWord(p, end, "inf") || isWord(p, end, "nan")) {
        const float magnitude = std::tolower(static_cast<unsigned char>(*p)) == 'i'
                                    ? std::numeric_limits<float>::infinity()
                                    : std::numeric_limits<float>::quiet_NaN();
        value = negative ? -magnitude : magnitude;
        return true;
    }
    auto format = std::chars_format::general;
    if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        format = std::chars_format::hex;
        p += 2;
    }
    // Past the sign and the prefix, a digit or a point: no second sign, no spelled word.
    if (p == end || !(std::isxdigit(static_cast<unsigned char>(*p)) != 0 || *p == '.') ||
        (format == std::chars_format::general &&
         std::isdigit(static_cast<unsigned char>(*p)) == 0 && *p != '.')) {
        return false;
    }
    float parsed = 0.0f;
    const auto [stop, error] = std::from_chars(p, end, parsed, format);
    if (stop != end) {
        return false;
    }
    if (error == std::errc::result_out_of_range) {
        // Beyond a float either way: rounded to infinity or to zero, as strtof does.
        const std::string word(begin, end);
        value = std::strtof(word.c_str(), nullptr);
        return true;
    }
    if (error != std::errc()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
}

int answerRays(std::FILE* in, std::FILE* out, std::FILE* err, const OracleRun& run) {
    const auto cores = static_cast<int>(std::thread::hardware_concurrency());
    const auto jobs = static_cast<std::size_t>(std::max(1, run.jobs > 0 ? run.jobs : cores));
    const std::size_t size =
        std::clamp(BLOCKS_BYTES / jobs, std::size_t{16} << 10, std::size_t{1} << 20);
    const char* header = run.method == ORACLE_BOTH
                             ? "line,outcome,t,x,y,z,slab_outcome,slab_t,slab_x,slab_y,slab_z,"
                               "agree,same_point\n"
                             : "line,outcome,t,x,y,z\n";
    std::fputs(header, out);
    Reader reader(in, size);
    std::vector<Block> blocks(jobs);
    bool bad = false;
    int writeError = 0;
    for (bool more = true; more && writeError == 0;) {
        std::size_t filled = 0;
        for (; filled < jobs && (more = reader.next(blocks[filled])); ++filled) {
            blocks[filled].out.clear();
            blocks[filled].err.clear();
            blocks[filled].bad = false;
        }
        std::vector<std::thread> helpers;
        for (std::size_t i = 1; i < filled; ++i) {
            helpers.emplace_back(answerBlock, std::ref(blocks[i]), std::cref(run));
        }
        if (filled > 0) {
            answerBlock(blocks[0], run);
        }
        for (std::size_t i = 0; i < filled; ++i) {
            if (i > 0) {
                helpers[i - 1].join();
            }
            errno = 0;
            if (writeError == 0 && std::fwrite(blocks[i].out.data(), 1, blocks[i].out.size(), out) <
                                       blocks[i].out.size()) {
                writeError = errno != 0 ? errno : EIO;
            }
            std::fputs(blocks[i].err.c_str(), err);
            bad = bad || blocks[i].bad;
        }
    }
    // A reader that has gone wanted no more; any other failure is said once, here.
    if (writeError != 0) {
        std::clearerr(out);
        if (writeError != EPIPE) {
            std::fprintf(err, "ray-box-collision: cannot write the output: %s\n",
                         std::strerror(writeError));
            return 1;
        }
    }
    if (reader.failed()) {
        std::fprintf(err, "ray-box-collision: cannot read the rays: %s\n", std::strerror(errno));
        bad = true;
    }
    return bad ? 1 : 0;
}
