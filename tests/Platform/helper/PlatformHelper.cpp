// A second process for the platform tests. By default it holds the named mutex given
// as its argument, prints "ready" (or "failed") and keeps it until stdin closes or it
// is killed. With "remove-dir <folder>" it clears the folder of expired files (older
// than a day) and exits 0 when that succeeded.

#include "Platform/Native/NamedMutex.h"
#include "Platform/Util/RemoveDir.h"

#include <cstring>
#include <iostream>
#include <string>

namespace {

int HoldMutex(const char* name)
{
    const auto mutex = Talvex::Native::NamedMutex::Create(name);
    std::cout << (mutex ? "ready" : "failed") << std::endl;
    for (std::string ignored; mutex && std::getline(std::cin, ignored);) {
    }
    return mutex ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "remove-dir") == 0) {
        return Talvex::Util::RemoveDir(QString::fromLocal8Bit(argv[2]), 1, false) ? 0 : 1;
    }
    return argc >= 2 ? HoldMutex(argv[1]) : 1;
}
