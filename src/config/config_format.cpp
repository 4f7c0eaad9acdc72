#include "config/config_format.h"

#include <QByteArrayView>

#include <algorithm>
#include <limits>

namespace {

// Splits off at most kConfigLineCount lines; each keeps at most
// kConfigMaxLineBytes, and a missing line stays empty.
std::array<QByteArray, kConfigLineCount> splitLines(const QByteArray& bytes) {
    std::array<QByteArray, kConfigLineCount> lines;
    const QByteArrayView view = QByteArrayView(bytes).first(std::min(bytes.size(), kConfigMaxReadBytes));
    qsizetype pos = 0;
    for (QByteArray& line : lines) {
        if (pos >= view.size()) break;
        qsizetype lineEnd = view.indexOf('\n', pos);
        if (lineEnd < 0) lineEnd = view.size();
        qsizetype contentEnd = lineEnd;
        if (contentEnd > pos && view[contentEnd - 1] == '\r') --contentEnd;
        line = view.sliced(pos, std::min(contentEnd - pos, kConfigMaxLineBytes)).toByteArray();
        pos = lineEnd + 1;
    }
    return lines;
}

// Drops every control character and blank at both ends, as the rec Left line
// is cleaned before it is parsed.
QByteArray trimmed(const QByteArray& line) {
    qsizetype first = 0;
    qsizetype last = line.size();
    while (first < last && static_cast<unsigned char>(line[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(line[last - 1]) <= ' ') --last;
    return line.mid(first, last - first);
}

// Flag k of a line: absent characters read as empty text.
QByteArray flagAt(const QByteArray& line, int k) { return k < line.size() ? line.mid(k, 1) : QByteArray(); }

char flag(bool on) { return on ? '1' : '0'; }

}  // namespace

std::optional<int> parsePositionLine(const QByteArray& line) {
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    if (i == line.size()) return std::nullopt;
    // Accumulate in 64 bits and stop as soon as the value leaves int range,
    // so a line of thousands of digits neither overflows nor keeps us busy.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value == 0) return std::nullopt;
    return static_cast<int>(value);
}

ConfigFileContents parseConfig(const QByteArray& bytes) {
    const auto lines = splitLines(bytes);
    ConfigFileContents c;
    c.firstLine = QString::fromLatin1(lines[0]);
    for (int k = 0; k < kChannelBoxCount; ++k) c.channelBoxes[k] = flagAt(lines[1], k) != "0";
    // Four flags are on unless "0"; the animation flag is on only when "1".
    c.options.magnet = flagAt(lines[2], 0) != "0";
    c.options.GreenSilver1 = flagAt(lines[2], 1) != "0";
    c.options.BlackPlay1 = flagAt(lines[2], 2) != "0";
    c.options.BlackRec1 = flagAt(lines[2], 3) != "0";
    c.options.anim = flagAt(lines[2], 4) == "1";
    // Only the rec Left line is trimmed, so "106 " counts there but not on
    // the other three.
    c.form1.left = parsePositionLine(lines[3]);
    c.form1.top = parsePositionLine(lines[4]);
    c.rec.left = parsePositionLine(trimmed(lines[5]));
    c.rec.top = parsePositionLine(lines[6]);
    return c;
}

QByteArray formatConfig(const ConfigValues& v) {
    QByteArray first = v.firstLine.toLatin1();
    // A line break would shift every later line; the reader never yields one.
    if (const qsizetype nl = first.indexOf('\n'); nl >= 0) first.truncate(nl);

    QByteArray out;
    out.reserve(first.size() + 128);
    out += first;
    out += "\r\n";
    for (bool on : v.channelBoxes) out += flag(on);
    out += "\r\n";
    out += flag(v.options.magnet);
    out += flag(v.options.GreenSilver1);
    out += flag(v.options.BlackPlay1);
    out += flag(v.options.BlackRec1);
    out += flag(v.options.anim);
    out += "\r\n";
    for (int n : {v.form1Left, v.form1Top, v.recLeft, v.recTop}) {
        out += QByteArray::number(n);
        out += "\r\n";
    }
    return out;
}
