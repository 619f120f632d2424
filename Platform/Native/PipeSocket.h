#pragma once

#include <QString>

#include <cstddef>
#include <memory>
#include <string>

#include <sys/types.h>

namespace Talvex::Native {

// One end of a named local pipe: a Unix-domain stream socket whose name is a file in
// the per-user runtime folder. That folder must be a directory of ours that nobody
// else may enter (0700), and a name is a socket of ours that only we may use (0600),
// made so from the start. Only peers running as our own user are talked to. A name
// that is a link or somebody else's file is never followed, used or removed.
// Every failure throws Talvex::Core::IOException. One thread at a time.
class PipeSocket {
public:
    static constexpr int DEFAULT_TIMEOUT_MS = 5000;

    // The folder that holds the names: $XDG_RUNTIME_DIR (neither created nor checked
    // here); else "runtime-<user id>" in the temporary folder, made owner-only, unless
    // another user got there first: then the same name in the user's cache folder,
    // which is kept from then on. Only those two are logged, at INFO, saying which is used.
    static QString Folder();
    // Creates the name and listens there, without waiting for the peer: the first
    // operation that needs the connection accepts it (bounded by the time-out) and
    // removes the name, since nobody else is to connect.
    static std::unique_ptr<PipeSocket> Listen(const std::string& path);
    // Connects to the end that Listen created.
    static std::unique_ptr<PipeSocket> Connect(const std::string& path);

    // Closes; a listener that never accepted removes its name if it is still its own.
    ~PipeSocket();
    PipeSocket(const PipeSocket&) = delete;
    PipeSocket& operator=(const PipeSocket&) = delete;

    void SetTimeout(int milliseconds) { timeoutMs = milliseconds; }
    int Timeout() const { return timeoutMs; }

    // Bytes a Receive returns without waiting; 0 while no peer is connected.
    std::size_t Available();
    // Waits up to `milliseconds` for a byte or the end; true when Receive would not wait.
    bool WaitForInput(int milliseconds);
    // Up to `size` bytes, waiting at most the time-out for the first; 0 at the end.
    std::size_t Receive(void* buffer, std::size_t size);
    // All of `data`, each wait for the peer bounded by the time-out.
    void Send(const void* data, std::size_t size);

private:
    PipeSocket(int descriptor, int listener, std::string path);
    bool Accept(int milliseconds);
    bool IsConnected() const { return descriptor >= 0; }
    void RemoveName();

    int descriptor;
    int listener;
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    int timeoutMs = DEFAULT_TIMEOUT_MS;
};

} // namespace Talvex::Native
