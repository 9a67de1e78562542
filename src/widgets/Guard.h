#pragma once

#include <functional>

// Runs an event handler so that no exception leaves it: a silent abort ends it quietly, any
// other failure is shown in a message box with its text, and the program goes on.
void RunGuarded(const std::function<void()>& handler);

// The guard for handlers that run while a widget paints: a failure is shown once the paint has
// finished (a box opened during painting would repaint and fail again), and further failures
// are dropped while that message is pending.
void RunGuardedWhilePainting(const std::function<void()>& handler);

// A callable for QObject::connect that runs a member handler inside the guard. The handler may
// take fewer arguments than the signal delivers.
template <class T, class R, class... Params> auto Guarded(T* object, R (T::*handler)(Params...)) {
    return [object, handler](Params... args) { RunGuarded([&] { (object->*handler)(args...); }); };
}
