#pragma once
// Aguarda_Ms of module Mdl_Serial: a pause during which the program keeps
// processing its events (the keyboard's answers arrive inside these pauses).

namespace vantora {

// Waits at least `ms` milliseconds on a monotonic clock, processing events; it
// sleeps in the event loop in between, so it takes no processor time of its own.
// Returns false, at once, when the program is ending (its event loops no longer run).
bool Aguarda_Ms(int ms);

} // namespace vantora
