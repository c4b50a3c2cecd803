#pragma once

#include <string>

// The interrupt file: an empty ".virda_atelo.int" in the home directory
// (in /tmp when HOME is not set). A running renderer watches for it and
// stops when it appears.

// Where the file goes; empty when the name cannot be built.
std::string KEPAteloInterruptPath();
// Creates the file; 0 on success. Failures are printed on standard output.
int KEPAteloCreateInterruptFile();
// The user's Interrupt command: creates the file and, when it exists,
// tells the Messages window.
int KEPAteloInterruptRendering();
