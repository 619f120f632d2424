#include "common/ApplicationFactory.h"

namespace Talvex::Bench {

ApplicationFactory& CurrentApplicationFactory()
{
    static ApplicationFactory factory = [](int& argc, char** argv) {
        return std::make_unique<QApplication>(argc, argv);
    };
    return factory;
}

} // namespace Talvex::Bench
