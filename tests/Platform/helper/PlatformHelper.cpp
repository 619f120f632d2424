// A second process for the platform tests: holds the named mutex given as its
// argument, prints "ready" (or "failed") and keeps it until stdin closes or it is killed.

#include "Platform/Native/NamedMutex.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const auto mutex = argc >= 2 ? Talvex::Native::NamedMutex::Create(argv[1]) : nullptr;
    std::cout << (mutex ? "ready" : "failed") << std::endl;
    for (std::string ignored; mutex && std::getline(std::cin, ignored);) {
    }
    return mutex ? 0 : 1;
}
