#include "Platform/Logging/RecentLogLines.h"

#include "Platform/Logging/LoggingApi_p.h"
#include "Platform/Util/Utf8Cut.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

namespace Talvex::App {
namespace {

// One line; `sequence` is odd while the line is being written, so that a reader that
// interrupts the writer (a crash in the middle of logging) skips it.
struct Slot {
    std::atomic<unsigned> sequence{0};
    size_t length = 0;
    char text[RecentLogLines::LINE_SIZE];
};

Slot slots[RecentLogLines::LINES];
std::atomic<unsigned> nextLine{0};

// Marks the lines after the first of one log entry, so that a message of several lines
// stays visibly one entry and none of its lines can pass for a line of the crash report.
const char CONTINUATION[] = "\n  | ";

// The entry with each line break in it (one that a viewer would show as a new line, a
// lone "\r" too, which a terminal would use to write over the line) made a marked new
// line; breaks at its end are dropped.
std::string Indented(const std::string& entry)
{
    std::string indented;
    indented.reserve(entry.size());
    size_t kept = 0;
    for (size_t i = 0; i < entry.size();) {
        const size_t lineBreak = Util::LineBreakLength(entry.data() + i, entry.size() - i);
        if (lineBreak > 0) {
            indented += CONTINUATION;
            i += lineBreak;
        } else {
            indented += entry[i++];
            kept = indented.size();
        }
    }
    indented.resize(kept);
    return indented;
}

// Keeps one line, formatted as glog writes it to a file.
void Store(const char* text, size_t length)
{
    const std::string formatted = Indented(std::string(text, length));
    Slot& slot = slots[nextLine.fetch_add(1) % RecentLogLines::LINES];
    slot.sequence.fetch_add(1);
    slot.length = Util::Utf8CutLength(formatted.data(), std::min(formatted.size(), sizeof slot.text));
    std::memcpy(slot.text, formatted.data(), slot.length);
    slot.sequence.fetch_add(1);
}

size_t Append(char* out, size_t size, size_t used, const char* text, size_t length)
{
    const size_t room = size - used;
    const size_t taken = length < room ? length : room;
    std::memcpy(out + used, text, taken);
    return used + taken;
}

} // namespace

void RecentLogLines::Enable()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (const LoggingApi* glog = Glog()) {
            glog->addLineSink(Store);
        }
    });
}

size_t RecentLogLines::CopyTo(char* out, size_t size)
{
    const unsigned end = nextLine.load();
    const unsigned begin = end > LINES ? end - LINES : 0;
    size_t used = 0;
    for (unsigned index = begin; index != end; ++index) {
        const Slot& slot = slots[index % LINES];
        const unsigned before = slot.sequence.load();
        if (before % 2 != 0) {
            continue;
        }
        const size_t start = used;
        used = Append(out, size, used, slot.text, slot.length);
        if (slot.sequence.load() != before) {
            used = start;
            continue;
        }
        used = Append(out, size, used, "\n", 1);
    }
    return used;
}

} // namespace Talvex::App
