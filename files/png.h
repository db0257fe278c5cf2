// PNG encoding in memory.
#pragma once

#include <vector>

// Encodes 8-bit RGB rows of this size, bottom row first as GL reads them, as a PNG; empty
// if it cannot.
std::vector<unsigned char> encodePng(int width, int height, const std::vector<unsigned char>& rgb);
