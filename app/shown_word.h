// A word as a message shows it, for every message that names what a user typed.
#pragma once

#include <string>

// Control characters and bytes that are no UTF-8 character escaped (\n, \x1b), cut after
// 60 characters with an ellipsis.
std::string shownWord(const std::string& word);
