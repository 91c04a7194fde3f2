// The subcommands of mxf-tavrin-cli. Each returns the process exit status.
#pragma once

namespace tavrin::cli {

int run_info(int argc, char** argv);
int run_check(int argc, char** argv);
int run_wavinfo(int argc, char** argv);
int run_wrap(int argc, char** argv);
int run_export(int argc, char** argv);

}  // namespace tavrin::cli
