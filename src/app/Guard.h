#pragma once

#include <functional>

class UiServices;

// Runs one event handler: an error it does not catch is shown in the standard error box, and the
// normal cursor comes back whatever happened. No exception leaves for the event loop.
void guarded(UiServices &ui, const std::function<void()> &handler);
