#pragma once
// The Histogram window in the running editor.

namespace tarnel {

class AppContext;

// Binds the window's commands, window events and view refresh to context.
void installHistogramWindow(AppContext& context);

}  // namespace tarnel
