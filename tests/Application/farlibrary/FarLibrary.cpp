// Part of a library of the helper linked to start at a high address rather than at 0:
// the names of its frames must come out right all the same.
#include "FarLibrary.h"

namespace {

volatile int* volatile farNowhere = nullptr;

} // namespace

void CrashInAFarLibrary()
{
    *farNowhere = 3;
}
