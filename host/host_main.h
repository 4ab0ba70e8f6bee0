#pragma once

#include <string>
#include <vector>

// The whole program: start-up, the main loop of the run mode, shutdown.
// Returns the exit code.
int SaverMain(const std::vector<std::string>& args);
