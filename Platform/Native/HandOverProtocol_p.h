#pragma once

namespace Talvex::Native {

// The two single bytes of a hand-over after the message: the running instance says it
// has the whole message, and the launch tells it to go ahead.
constexpr char HAND_OVER_ACKNOWLEDGED = 'A';
constexpr char HAND_OVER_CONFIRMED = 'C';

} // namespace Talvex::Native
