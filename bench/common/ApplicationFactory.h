#pragma once

#include <QApplication>

#include <functional>
#include <memory>

namespace Talvex::Bench {

// The application object the shared main creates: a plain QApplication unless a
// benchmark file installs another factory from a static initialiser.
using ApplicationFactory = std::function<std::unique_ptr<QApplication>(int& argc, char** argv)>;
ApplicationFactory& CurrentApplicationFactory();

} // namespace Talvex::Bench
