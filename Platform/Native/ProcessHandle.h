#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Native {

// A process handle is a pidfd carried as a 64-bit integer, so that it can be waited
// on with WaitForAny; 0 is the null handle. Whoever receives one closes it.

TALVEX_EXPORT long long CurrentProcessId();

// Starts `program` in `folder` with `parameters` split into arguments as a shell
// would, without waiting for it. False when it could not be started; otherwise
// `handle` receives the started process's handle (0 if it ended before it could be
// opened).
TALVEX_EXPORT bool StartDetachedProcess(const QString& program, const QString& parameters, const QString& folder,
                                        long long& handle);

// A handle to the running process `pid`; 0 when there is none.
TALVEX_EXPORT long long OpenProcessHandle(long long pid);

// The process id behind a handle; 0 for the null handle or an unknown one.
TALVEX_EXPORT long long ProcessIdOf(long long handle);

// Takes over a descriptor as a handle: -1 becomes the null handle, and a descriptor
// that happens to be 0 (stdin closed) moves up, 0 being the null handle.
long long HandleFromDescriptor(int descriptor);

// Closes any handle of this layer (process or event); the null handle is ignored.
TALVEX_EXPORT void CloseHandle(long long handle);

} // namespace Talvex::Native
