#pragma once
// The tool-busy mask: one flag per modal tool, set to the tool's own value
// while its window or dialog is open. Image-changing commands refuse to
// start while test() is non-zero (rotate, flip, mirror, negative and gray
// scale do not ask).

namespace tarnel {

enum BusyFlag : int {
    kBusyQuantize = 2,
    kBusyBrightnessContrast = 4,
    kBusyTwoColors = 8,
    kBusyResizeCanvas = 16,
    kBusyResizeImage = 32,
    kBusyNewImage = 64,
    kBusyAddText = 128,
};

class BusyMask {
public:
    void set(BusyFlag flag) { m_mask |= flag; }
    void clear(BusyFlag flag) { m_mask &= ~static_cast<int>(flag); }
    bool isSet(BusyFlag flag) const { return (m_mask & flag) != 0; }
    // OR of all flags; non-zero while any modal tool is open.
    int test() const { return m_mask; }

private:
    int m_mask = 0;
};

}  // namespace tarnel
