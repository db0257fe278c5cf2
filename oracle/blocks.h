// The oracle's input a block of whole lines at a time, answered side by side on every core
// and handed on in input order; memory stays bounded whatever the input.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// A line longer than this is refused, however many jobs share the input and wherever the
// blocks fall: twelve numbers need far less, even written out to the last digit.
constexpr std::size_t LONGEST_LINE = std::size_t{64} << 10;

// A block of whole lines, the number of its first line, and what answering it wrote.
struct Block {
    std::string text;
    long first = 1;
    bool overlong = false; // one line longer than LONGEST_LINE, of which nothing was kept
    std::string out;
    std::string err;
    bool bad = false;
    // The lines refused past the first few, which the error stream hears of only as a count.
    long unsaid = 0;
    long unsaidFrom = 0;
    long unsaidTo = 0;
    // What a block's work keeps for itself, such as the answers that go with its rays.
    std::string extra;

    // A line refused (of the answers, with what): why on the error stream, for the first
    // hundred of a block; the rest counted. The block is bad.
    void refuse(long line, const std::string& why, const char* what = "line");
    // The count of refusals not said, as one line; after the block's work.
    void sayUnsaid();
};

// Reads in, a block of whole lines at a time, and runs work on up to jobs blocks side by
// side (0: one a core); prepare runs on each block first, in input order, done after, in
// input order too, and stops the reading when it returns false. The errno of a failed read,
// or 0.
int forEachBlock(std::FILE* in, int jobs, const std::function<void(Block&)>& prepare,
                 const std::function<void(Block&)>& work, const std::function<bool(Block&)>& done);
