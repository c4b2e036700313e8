// The host's message loop, for the logo to paint.
#pragma once

// Dispatches this thread's messages for `milliseconds`.
void PumpMessages(int milliseconds);
