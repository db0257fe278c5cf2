// Blocks of whole lines, answered side by side and handed on in order, in bounded memory: a
// block's size is fixed, a line's length bounded, the blocks in flight few, and what a
// block says of its bad lines cut short.
#include "oracle/blocks.h"

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

namespace {

// All the blocks in flight together take about this many bytes of input; what they write
// is a small multiple of it, even for lines that are all refused.
constexpr std::size_t BLOCKS_BYTES = std::size_t{4} << 20;
// A block's refusals said one by one; the rest only counted.
constexpr long SAID_PER_BLOCK = 100;

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
        while (!ended_ && block.text.find('\n') == std::string::npos &&
               block.text.size() <= LONGEST_LINE) {
            block.text.append(buffer_.data(), read());
        }
        const std::size_t last = block.text.rfind('\n');
        if (last != std::string::npos) {
            carry_.assign(block.text, last + 1);
            block.text.resize(last + 1);
        } else if (block.text.size() > LONGEST_LINE) {
            // A line longer than any needs: counted, refused, and its bytes passed over.
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

    [[nodiscard]] int failure() const {
        return failure_;
    }

  private:
    std::size_t read() {
        errno = 0;
        const std::size_t n = std::fread(buffer_.data(), 1, size_, in_);
        if (n < size_) {
            ended_ = true;
            if (std::ferror(in_) != 0) {
                failure_ = errno != 0 ? errno : EIO;
            }
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
    int failure_ = 0;
};

} // namespace

void Block::refuse(long line, const std::string& why, const char* what) {
    bad = true;
    if (unsaid == 0 && std::count(err.begin(), err.end(), '\n') < SAID_PER_BLOCK) {
        err += "ray-box-collision: " + std::string(what) + " " + std::to_string(line) + ": " + why +
               "\n";
        return;
    }
    unsaidFrom = unsaid == 0 ? line : unsaidFrom;
    unsaidTo = line;
    ++unsaid;
}

void Block::sayUnsaid() {
    if (unsaid > 0) {
        err += "ray-box-collision: lines " + std::to_string(unsaidFrom) + " to " +
               std::to_string(unsaidTo) + ": " + std::to_string(unsaid) + " more lines refused\n";
    }
}

int forEachBlock(std::FILE* in, int jobs, const std::function<void(Block&)>& prepare,
                 const std::function<void(Block&)>& work, const std::function<bool(Block&)>& done) {
    const auto cores = static_cast<int>(std::thread::hardware_concurrency());
    // As many side by side as the bytes allow with blocks that hold the longest line.
    const std::size_t most = BLOCKS_BYTES / (LONGEST_LINE + 1);
    const std::size_t count =
        std::min(most, static_cast<std::size_t>(std::max(1, jobs > 0 ? jobs : cores)));
    const std::size_t size =
        std::clamp(BLOCKS_BYTES / count, LONGEST_LINE + 1, std::size_t{1} << 20);
    Reader reader(in, size);
    std::vector<Block> blocks(count);
    const auto run = [&](Block& block) {
        work(block);
        block.sayUnsaid();
    };
    for (bool more = true, going = true; more && going;) {
        std::size_t filled = 0;
        for (; filled < count && (more = reader.next(blocks[filled])); ++filled) {
            Block& block = blocks[filled];
            block.out.clear();
            block.err.clear();
            block.bad = false;
            block.unsaid = 0;
            prepare(block);
        }
        std::vector<std::thread> helpers;
        for (std::size_t i = 1; i < filled; ++i) {
            helpers.emplace_back(run, std::ref(blocks[i]));
        }
        if (filled > 0) {
            run(blocks[0]);
        }
        for (std::size_t i = 0; i < filled; ++i) {
            if (i > 0) {
                helpers[i - 1].join();
            }
            going = going && done(blocks[i]);
        }
    }
    return reader.failure();
}
