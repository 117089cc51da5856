// SPDX-License-Identifier: MIT
// korrin-map's entry point.
#include "cli/cli.h"

int main(int argc, char* argv[]) {
    return korrin::cli::runTool(argc, argv);
}
