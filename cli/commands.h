// quenzel-cli's commands: encrypt, decrypt, verify and info over the
// engine, with the password or key file taken as the options say.
#pragma once

#include <string>
#include <vector>

namespace quenzel::cli {

// Runs the command line (the arguments after the program's name, UTF-8);
// the process's exit code.
int RunCli(const std::vector<std::string>& args);

} // namespace quenzel::cli
