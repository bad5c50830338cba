// Any bytes, as a frame and as the indicator bytes of a stored display, through the
// decoders and the panel model; the model is kept across inputs like the live window's.
#include "DisplayDecoder.h"
#include "PanelModel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static PanelModel panel;
    static CurrentReading reading;
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    (void)findDisplayFrame(bytes);
    (void)findDisplayFrameRun(bytes);
    decodeIndicatorBytes(bytes, reading, size % 2 == 0);
    if (size >= 36)
        panel.applyFrame(bytes, reading, false);
    else
        decodeDisplayFrame(bytes, reading, false);
    (void)panel.takeDirty();
    return 0;
}
