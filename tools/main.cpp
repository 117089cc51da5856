// SPDX-License-Identifier: MIT
#include "cli/cli.h"

int main(int argc, char* argv[]) {
    return korrin::cli::runTool(argc, argv);
}
