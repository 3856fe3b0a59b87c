#pragma once
// Add text's font requester: font name, size, the styles bold, italic,
// underline, strike out and high quality, and the text colour, with a
// sample. Qt's own font dialog has neither the colour nor a way to keep
// underline and strike out apart from the face, hence this one.

#include <functional>
#include <optional>

#include "app/platform.h"
#include "tools/text_bitmap.h"

class QWidget;

namespace tarnel {

inline constexpr const char* kFontRequesterTitle = "Font";
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 4000;

// The platform font of a requester's choice.
FontSpec fontSpecOf(const TextFont& font);

// Shows the requester modally; nothing when cancelled. chooseColor opens the
// colour requester for the colour swatch.
std::optional<TextFont> runFontRequester(QWidget* parent, const TextFont& initial,
                                         const std::function<std::optional<Color>(Color)>& chooseColor);

}  // namespace tarnel
