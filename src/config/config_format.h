#pragma once
// The seven-line configuration format, as bytes: what a file yields when read
// and what a save writes. No file access here; see config_file.h for that.
//
//   1  carried line, kept verbatim (ConfigFirstLine)
//   2  23 channel-box flags, in the order of kChannelBoxNames
//   3  5 option flags: magnet, GreenSilver1, BlackPlay1, BlackRec1, anim
//   4  Form1 Left     5  Form1 Top     6  rec Left     7  rec Top
//
// Written: each line ended by CR LF, flags "1"/"0", numbers in plain decimal.
// Read: lines end at LF, a CR just before it (or before the end of the file)
// belongs to the line end, so CR LF and LF files read alike.

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

constexpr int kChannelBoxCount = 23;
constexpr int kOptionCount = 5;
constexpr int kConfigLineCount = 7;

// Reading is bounded: at most kConfigMaxReadBytes of the file are looked at
// (a file we write is under 4.2 KiB), and a line keeps at most
// kConfigMaxLineBytes; the rest of a longer line is skipped up to its LF, so
// the lines after it are still found. Lines beyond the bytes read count as
// missing.
constexpr qsizetype kConfigMaxLineBytes = 4096;
constexpr qsizetype kConfigMaxReadBytes = 64 * 1024;

// Object names of the channel dialog's check boxes in the order of line 2.
// BWCCCheckBox22 (playback strip 12) sits at index 12, between the playback
// and the recording boxes, not at the end.
inline constexpr std::array<const char*, kChannelBoxCount> kChannelBoxNames = {
    "tuch",           "BWCCCheckBox1",  "BWCCCheckBox2",  "BWCCCheckBox3",  "BWCCCheckBox4",  "BWCCCheckBox5",
    "BWCCCheckBox6",  "BWCCCheckBox7",  "BWCCCheckBox8",  "BWCCCheckBox9",  "BWCCCheckBox10", "BWCCCheckBox11",
    "BWCCCheckBox22", "BWCCCheckBox12", "BWCCCheckBox13", "BWCCCheckBox14", "BWCCCheckBox15", "BWCCCheckBox16",
    "BWCCCheckBox17", "BWCCCheckBox18", "BWCCCheckBox19", "BWCCCheckBox20", "BWCCCheckBox21"};

// Checked state per box, indexed like kChannelBoxNames.
using ChannelBoxes = std::array<bool, kChannelBoxCount>;

// The five menu checks of line 3, named after their menu items.
struct ConfigOptions {
    bool magnet = true;
    bool GreenSilver1 = true;  // coloured borders; unset means Silverborders1
    bool BlackPlay1 = true;    // unset means WhitePlay1
    bool BlackRec1 = true;     // unset means WhiteRec1
    bool anim = true;          // animation switch: set = 0 (animate), unset = 1
    bool operator==(const ConfigOptions&) const = default;
};

// A stored window position; a coordinate is absent when its line was missing,
// not a number, out of int range or 0, and then the window keeps its own.
struct StoredPosition {
    std::optional<int> left;
    std::optional<int> top;
    bool operator==(const StoredPosition&) const = default;
};

// What a file yields when read.
struct ConfigFileContents {
    QString firstLine;  // the line's bytes as Latin-1, so every byte survives
    ChannelBoxes channelBoxes{};
    ConfigOptions options;
    StoredPosition form1;
    StoredPosition rec;
    bool operator==(const ConfigFileContents&) const = default;
};

// What a save stores: the current states read back from the widgets.
struct ConfigValues {
    QString firstLine;  // written as Latin-1; cut at a line break if it has one
    ChannelBoxes channelBoxes{};
    ConfigOptions options;
    int form1Left = 0;
    int form1Top = 0;
    int recLeft = 0;
    int recTop = 0;
};

// Reads the first seven lines of `bytes` (at most kConfigMaxReadBytes of it
// are looked at). Never fails: missing or short lines read as empty text.
ConfigFileContents parseConfig(const QByteArray& bytes);

// The file's exact bytes for `values`.
QByteArray formatConfig(const ConfigValues& values);

// A position line's number: blanks (space, tab) may lead, an optional sign,
// decimal digits and nothing after them. Absent when that fails, when the
// value does not fit an int, or when it is 0.
std::optional<int> parsePositionLine(const QByteArray& line);
