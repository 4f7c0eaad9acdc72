// libFuzzer target for the configuration reader: whatever the bytes, reading
// them stays within them and within the line bounds, what they yield saves
// as a file that reads back the same, and a position line reads as a plain
// decimal int would.

#include "config/config_format.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

// The position rule written the obvious way, to hold the parser against.
std::optional<int> referencePosition(QByteArrayView s) {
    while (!s.isEmpty() && (s.front() == ' ' || s.front() == '\t')) s = s.sliced(1);
    bool negative = false;
    if (!s.isEmpty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s = s.sliced(1);
    }
    if (s.isEmpty()) return std::nullopt;
    for (char c : s)
        if (c < '0' || c > '9') return std::nullopt;
    while (s.size() > 1 && s.front() == '0') s = s.sliced(1);
    if (s.size() > 10) return std::nullopt;
    long long value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    if (negative) value = -value;
    if (value == 0 || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return int(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const ConfigFileContents read = parseConfig(bytes);
    if (read.firstLine.size() > kConfigMaxLineBytes || read.firstLine.contains(u'\n')) std::abort();

    // Saving what was read and reading it again changes nothing.
    ConfigValues values;
    values.firstLine = read.firstLine;
    values.channelBoxes = read.channelBoxes;
    values.options = read.options;
    values.form1Left = read.form1.left.value_or(0);
    values.form1Top = read.form1.top.value_or(0);
    values.recLeft = read.rec.left.value_or(0);
    values.recTop = read.rec.top.value_or(0);
    if (!(parseConfig(formatConfig(values)) == read)) std::abort();

    if (parsePositionLine(bytes) != referencePosition(bytes)) std::abort();
    return 0;
}
