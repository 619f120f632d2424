// A second process for the platform tests; the first argument picks its role:
//   hold-mutex <name>  holds the named mutex, prints "ready" (or "failed"), and keeps
//                      it until stdin closes or the process is killed
//   exit               ends at once, leaving a pid that no longer runs

#include "Platform/Native/NamedMutex.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int HoldMutex(const std::string& name)
{
    const auto mutex = Talvex::Native::NamedMutex::Create(name);
    std::cout << (mutex ? "ready" : "failed") << std::endl;
    if (!mutex) {
        return 1;
    }
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "hold-mutex") == 0) {
        return HoldMutex(argv[2]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "exit") == 0) {
        return 0;
    }
    std::fprintf(stderr, "unknown role\n");
    return 2;
}
