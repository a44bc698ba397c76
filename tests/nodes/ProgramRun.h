#pragma once

// Runs a test program (show_scene and the like) as a child process and collects its log.

#include <string>
#include <vector>

namespace oskel::test {

// Runs the program (arguments[0]) to its end with OpenAL's null output, killed after the time-out
// in seconds; its exit code (-1 when it did not end by itself) and its standard error.
int runProgram(const std::vector<std::string>& arguments, std::string& log,
               int timeoutSeconds = 120);

}  // namespace oskel::test
