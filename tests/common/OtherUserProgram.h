#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace Talvex::Test {

// A copy of a test helper that another local user can run, for tests that drop to such
// a user. The build folder may be private (made by mktemp -d, or in a home folder of
// mode 0700), and then that user reaches neither the helper nor our libraries it loads.
// The copy and those libraries go into a fresh folder that everybody may read and
// enter, removed with this object; the environment makes the loader look there first.
class OtherUserProgram {
public:
    explicit OtherUserProgram(const QString& program);

    // Empty when the copy is ready; else why it could not be made, for a skip.
    QString Problem() const { return problem; }
    QString Path() const { return path; }
    QProcessEnvironment Environment() const;

private:
    bool CopyReadable(const QString& from, const QString& to);

    QTemporaryDir folder;
    QString path;
    QString problem;
};

} // namespace Talvex::Test
