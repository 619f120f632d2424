#pragma once

// The running instance that the second-launch figure hands its launches to: started
// once, ended with the object.
#include <QProcess>

namespace Talvex::Bench {

class RunningInstance {
public:
    static constexpr char CODE_NAME[] = "second-launch-bench";

    explicit RunningInstance(const QString& program)
    {
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, {QStringLiteral("instance"), QLatin1String(CODE_NAME)});
        ready = process.waitForReadyRead(30000) && process.readLine().trimmed() == "ready";
    }
    ~RunningInstance()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool Ready() const { return ready; }

private:
    QProcess process;
    bool ready = false;
};

} // namespace Talvex::Bench
