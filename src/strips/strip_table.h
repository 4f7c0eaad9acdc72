#pragma once
// The component names of every strip, one row per strip, and the two
// tables the mixer windows build their strips from. Names are the windows'
// component names; tests find widgets by them.

#include <array>
#include <span>

// How a strip lays out and behaves: the playback master, a playback
// source, or any strip of the recording window (which all share the
// master's geometry and have no solo button).
enum class StripKind { PlayMaster, PlaySource, Rec };

struct StripNames {
    const char* panel;
    const char* nameLabel;
    const char* namePanel;
    const char* readL;
    const char* readR;
    const char* cursL;
    const char* cursR;
    const char* shadL;
    const char* shadR;
    const char* trackL;
    const char* trackR;
    const char* levelL;
    const char* levcL;
    const char* levelR;
    const char* levcR;
    const char* link;
    const char* mute;
    const char* solo;  // empty on the master strip
    const char* co1;
    const char* co2;
    const char* stepLPlus;
    const char* stepLMinus;
    const char* stepRPlus;
    const char* stepRMinus;
    const char* vuL;  // the two small VU images that open the VU window
    const char* vuR;
    const char* editL;  // left write routine
    const char* editR;  // right write routine
    const char* getc;   // read routine
};

// Per window: the strip's row, kind, line and check box in Form4.
struct StripRow {
    const StripNames* names;
    StripKind kind;
    int conn;              // -1: the destination line itself
    const char* checkBox;  // its box in the channel selection dialog
    const char* plate;     // name plate image, empty when none
    const char* holder;    // the box holding both fader tracks
};

std::span<const StripRow> playStripTable();  // 12 strips
std::span<const StripRow> recStripTable();   // 10 strips
