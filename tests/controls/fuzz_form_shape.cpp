// libFuzzer target for the "FormShape" stream: whatever the bytes, the
// parser answers without reading past them, and what it accepts writes
// back as a stream that reads as the same region.

#include "controls/form_shaper.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView stream(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QRegion> region = form_shape::ParseFormShape(stream);
    if (!region) return 0;
    const std::optional<QRegion> again = form_shape::ParseFormShape(form_shape::FormShapeOf(*region));
    if (!again || !again->xored(*region).isEmpty()) std::abort();
    return 0;
}
