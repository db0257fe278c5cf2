// Writing a program's output to a path named by its user, without harming what is there.
#pragma once

#include <string>
#include <vector>

// Writes bytes to path: "-" and the program's own standard output or error through their
// descriptors; a device, pipe or socket in place; a regular file (or none yet) by replacing
// it at once, keeping its mode, owner and group, or in place where it has other names, its
// owner and group cannot be kept, or its folder refuses the replacement. The system's reason if it
// fails, else empty.
std::string writeOutputFile(const std::string& path, const std::vector<unsigned char>& bytes);

// The descriptor a path names: 1 for "-", N for a path that leads to /proc/self/fd/N
// (as /dev/stdout and /dev/fd/N do), or -1.
int namedDescriptor(const std::string& path);

// Whether path names the file open on descriptor fd.
bool opensOn(const std::string& path, int fd);
