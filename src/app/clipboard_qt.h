#pragma once
// The system clipboard through Qt, for QtPlatform.
//
// Writing places one image (Qt offers it to other programs in the formats
// its image writers know, image/png first; on Windows as a device-independent
// bitmap). Reading takes, in this order: the image this program placed, as
// it is; image data another program offers, decoded by the program's own
// decoders (image/png first, then image/bmp, then any other image/* type),
// with Qt's image readers for types those do not know; and last Qt's own
// conversion when the clipboard offers no image/* data at all. Every path is
// held to the decoders' pixel budget, and a declared size beyond it is
// refused before any pixel is decoded.

#include <QPointer>

#include "app/platform.h"

class QMimeData;

namespace tarnel {

class QtClipboard {
public:
    ClipboardImage read() const;
    bool write(const Image& image);

private:
    QPointer<QMimeData> m_written;  // what write() placed last
};

}  // namespace tarnel
