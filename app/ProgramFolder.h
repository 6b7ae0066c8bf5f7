#pragma once
// The folder that holds the program, as UTF-8. Callers append their file
// names to it unchanged, each with a leading separator.

#include <string>

std::string ProgramFolder();
