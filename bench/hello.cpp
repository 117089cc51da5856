// SPDX-License-Identifier: MIT
// A C++ hello world, built and linked as korrin-map is: the least a call of a program costs.
#include <iostream>

int main() {
    std::cout << "hello, world\n";
    return 0;
}
