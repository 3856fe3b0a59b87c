#pragma once
// The batch tool's link to the editor's modules: decoding, encoding and one
// function per step kind. Internal to the batch tool; callers use batch.h.

#include <iosfwd>
#include <string>

#include "batch/batch.h"
#include "core/image.h"
#include "quantize/quality.h"

namespace tarnel::batch {

// Decodes a file with the editor's own decoders (format recognised by
// content). Returns a null image and sets error on failure; sets damage when
// the file decoded only in part.
Image decodeFile(const std::string& path, std::string& error, std::string& damage);

// Encodes with the editor's save settings for the format (PNG as png says)
// and writes the file atomically: on failure nothing is left at path and
// error is set.
bool encodeFile(const Image& image, const std::string& path, OutputFormat format, PngMode png, std::string& error);

// One --report entry: step, distinct colours, PSNR (dB, "infinite" or JSON
// null for an unchanged image), mean and maximum delta E 1976, time in ms.
std::string reportLine(const std::string& step, const QualityReport& quality, double ms, ReportFormat format);

// Runs one step (see applyStep in batch.h).
bool runStep(Image& image, const Step& step, const Rect& area, std::ostream& out, std::string& error);

}  // namespace tarnel::batch
