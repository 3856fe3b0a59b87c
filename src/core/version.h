#pragma once
// The program version, shared by the editor, the batch tool and the
// package; it comes from the project version of the build.

namespace tarnel {

#ifndef TARNEL_VERSION
#define TARNEL_VERSION "0.0"
#endif
inline constexpr const char* kVersion = TARNEL_VERSION;

}  // namespace tarnel
