#pragma once

#include <QString>
#include <QTemporaryDir>

namespace Talvex::Test {

// Points the per-user configuration, data, cache and runtime folders at a fresh
// temporary folder, so tests never touch the user's real files. A failing run keeps
// the folder for inspection.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString Root() const { return root.path(); }
    void Keep();

private:
    QTemporaryDir root;
};

} // namespace Talvex::Test
