#pragma once
// The classic mixer API's records, flags and result codes, as the rest of
// the program expects them. The records keep their published layout; the
// ones that hold a pointer are larger on 64-bit machines, so callers set
// cbStruct to sizeof(record) and the service checks exactly that.

#include <cstddef>
#include <cstdint>

using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UINT = std::uint32_t;
using MMRESULT = std::uint32_t;
using MMVERSION = std::uint32_t;
// Handles are small non-zero integers handed out by the service; a
// notification carries one as its first parameter.
using HMIXER = std::uint32_t;

inline constexpr int MAXPNAMELEN = 32;
inline constexpr int MIXER_SHORT_NAME_CHARS = 16;
inline constexpr int MIXER_LONG_NAME_CHARS = 64;

// Result codes.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MIXERR_BASE = 1024;
inline constexpr MMRESULT MIXERR_INVALLINE = MIXERR_BASE + 0;
inline constexpr MMRESULT MIXERR_INVALCONTROL = MIXERR_BASE + 1;
inline constexpr MMRESULT MIXERR_INVALVALUE = MIXERR_BASE + 2;

// Notification messages: first parameter the device handle, second the
// line or control id.
inline constexpr UINT MM_MIXM_LINE_CHANGE = 0x3D0;
inline constexpr UINT MM_MIXM_CONTROL_CHANGE = 0x3D1;

// mixerOpen flags.
inline constexpr DWORD CALLBACK_NULL = 0x00000000;
inline constexpr DWORD CALLBACK_WINDOW = 0x00010000;

// What the first argument of mixerGetID is: a device index or an open handle.
inline constexpr DWORD MIXER_OBJECTF_HANDLE = 0x80000000;
inline constexpr DWORD MIXER_OBJECTF_MIXER = 0x00000000;
inline constexpr DWORD MIXER_OBJECTF_HMIXER = MIXER_OBJECTF_HANDLE | MIXER_OBJECTF_MIXER;

// mixerGetLineInfoA flags.
inline constexpr DWORD MIXER_GETLINEINFOF_DESTINATION = 0x00000000;
inline constexpr DWORD MIXER_GETLINEINFOF_SOURCE = 0x00000001;
inline constexpr DWORD MIXER_GETLINEINFOF_LINEID = 0x00000002;
inline constexpr DWORD MIXER_GETLINEINFOF_COMPONENTTYPE = 0x00000003;
inline constexpr DWORD MIXER_GETLINEINFOF_QUERYMASK = 0x0000000F;

// mixerGetLineControlsA flags.
inline constexpr DWORD MIXER_GETLINECONTROLSF_ALL = 0x00000000;
inline constexpr DWORD MIXER_GETLINECONTROLSF_ONEBYID = 0x00000001;
inline constexpr DWORD MIXER_GETLINECONTROLSF_ONEBYTYPE = 0x00000002;
inline constexpr DWORD MIXER_GETLINECONTROLSF_QUERYMASK = 0x0000000F;

// Control details flags.
inline constexpr DWORD MIXER_GETCONTROLDETAILSF_VALUE = 0x00000000;
inline constexpr DWORD MIXER_GETCONTROLDETAILSF_LISTTEXT = 0x00000001;
inline constexpr DWORD MIXER_GETCONTROLDETAILSF_QUERYMASK = 0x0000000F;
inline constexpr DWORD MIXER_SETCONTROLDETAILSF_VALUE = 0x00000000;
inline constexpr DWORD MIXER_SETCONTROLDETAILSF_QUERYMASK = 0x0000000F;

// Line flags (fdwLine).
inline constexpr DWORD MIXERLINE_LINEF_ACTIVE = 0x00000001;
inline constexpr DWORD MIXERLINE_LINEF_DISCONNECTED = 0x00008000;
inline constexpr DWORD MIXERLINE_LINEF_SOURCE = 0x80000000;

// Component types.
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_FIRST = 0x0000;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_UNDEFINED = 0;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_DIGITAL = 1;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_LINE = 2;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_MONITOR = 3;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_HEADPHONES = 5;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_TELEPHONE = 6;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_WAVEIN = 7;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_VOICEIN = 8;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_DST_LAST = 8;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_FIRST = 0x1000;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED = 0x1000;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_DIGITAL = 0x1001;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_LINE = 0x1002;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER = 0x1004;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE = 0x1006;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER = 0x1007;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY = 0x1009;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_ANALOG = 0x100A;
inline constexpr DWORD MIXERLINE_COMPONENTTYPE_SRC_LAST = 0x100A;

// Control classes, units and types.
inline constexpr DWORD MIXERCONTROL_CT_CLASS_MASK = 0xF0000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_CUSTOM = 0x00000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_METER = 0x10000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_SWITCH = 0x20000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_NUMBER = 0x30000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_SLIDER = 0x40000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_FADER = 0x50000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_TIME = 0x60000000;
inline constexpr DWORD MIXERCONTROL_CT_CLASS_LIST = 0x70000000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_MASK = 0x00FF0000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_CUSTOM = 0x00000000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_BOOLEAN = 0x00010000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_SIGNED = 0x00020000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_UNSIGNED = 0x00030000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_DECIBELS = 0x00040000;
inline constexpr DWORD MIXERCONTROL_CT_UNITS_PERCENT = 0x00050000;
inline constexpr DWORD MIXERCONTROL_CT_SC_LIST_SINGLE = 0x00000000;
inline constexpr DWORD MIXERCONTROL_CT_SC_LIST_MULTIPLE = 0x01000000;

inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_CUSTOM = 0x00000000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_BOOLEANMETER = 0x10010000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_SIGNEDMETER = 0x10020000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_PEAKMETER = 0x10020001;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_UNSIGNEDMETER = 0x10030000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_BOOLEAN = 0x20010000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_ONOFF = 0x20010001;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_MONO = 0x20010003;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_LOUDNESS = 0x20010004;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_STEREOENH = 0x20010005;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_BASS_BOOST = 0x20012277;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_BUTTON = 0x21010000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_DECIBELS = 0x30040000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_SIGNED = 0x30020000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_UNSIGNED = 0x30030000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_PERCENT = 0x30050000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_SLIDER = 0x40020000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_PAN = 0x40020001;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_QSOUNDPAN = 0x40020002;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_FADER = 0x50030000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_BASS = 0x50030002;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_TREBLE = 0x50030003;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_EQUALIZER = 0x50030004;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_SINGLESELECT = 0x70010000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_MUX = 0x70010001;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT = 0x71010000;
inline constexpr DWORD MIXERCONTROL_CONTROLTYPE_MIXER = 0x71010001;

// Control flags (fdwControl).
inline constexpr DWORD MIXERCONTROL_CONTROLF_UNIFORM = 0x00000001;
inline constexpr DWORD MIXERCONTROL_CONTROLF_MULTIPLE = 0x00000002;
inline constexpr DWORD MIXERCONTROL_CONTROLF_DISABLED = 0x80000000;

struct MIXERCAPS {
    WORD wMid;
    WORD wPid;
    MMVERSION vDriverVersion;
    char szPname[MAXPNAMELEN];
    DWORD fdwSupport;
    DWORD cDestinations;
};

struct MIXERLINE {
    DWORD cbStruct;
    DWORD dwDestination;
    DWORD dwSource;
    DWORD dwLineID;
    DWORD fdwLine;
    DWORD dwUser;
    DWORD dwComponentType;
    DWORD cChannels;
    DWORD cConnections;
    DWORD cControls;
    char szShortName[MIXER_SHORT_NAME_CHARS];
    char szName[MIXER_LONG_NAME_CHARS];
    struct {
        DWORD dwType;
        DWORD dwDeviceID;
        WORD wMid;
        WORD wPid;
        MMVERSION vDriverVersion;
        char szPname[MAXPNAMELEN];
    } Target;
};

struct MIXERCONTROL {
    DWORD cbStruct;
    DWORD dwControlID;
    DWORD dwControlType;
    DWORD fdwControl;
    DWORD cMultipleItems;
    char szShortName[MIXER_SHORT_NAME_CHARS];
    char szName[MIXER_LONG_NAME_CHARS];
    union {
        struct {
            std::int32_t lMinimum;
            std::int32_t lMaximum;
        };
        struct {
            DWORD dwMinimum;
            DWORD dwMaximum;
        };
        DWORD dwReserved[6];
    } Bounds;
    union {
        DWORD cSteps;
        DWORD cbCustomData;
        DWORD dwReserved[6];
    } Metrics;
};

struct MIXERLINECONTROLS {
    DWORD cbStruct;
    DWORD dwLineID;
    union {
        DWORD dwControlID;
        DWORD dwControlType;
    };
    DWORD cControls;
    DWORD cbmxctrl;
    MIXERCONTROL* pamxctrl;
};

struct MIXERCONTROLDETAILS {
    DWORD cbStruct;
    DWORD dwControlID;
    DWORD cChannels;
    DWORD cMultipleItems;
    DWORD cbDetails;
    void* paDetails;
};

struct MIXERCONTROLDETAILS_UNSIGNED {
    DWORD dwValue;
};

struct MIXERCONTROLDETAILS_BOOLEAN {
    std::int32_t fValue;
};

struct MIXERCONTROLDETAILS_LISTTEXT {
    DWORD dwParam1;
    DWORD dwParam2;
    char szName[MIXER_LONG_NAME_CHARS];
};

static_assert(sizeof(MIXERCAPS) == 48);
static_assert(sizeof(MIXERLINE) == 168);
static_assert(sizeof(MIXERCONTROL) == 148);
static_assert(sizeof(MIXERCONTROLDETAILS_UNSIGNED) == 4);
static_assert(sizeof(MIXERCONTROLDETAILS_LISTTEXT) == 72);

// Helpers on control types.
constexpr bool isMeterType(DWORD type) { return (type & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_METER; }
constexpr bool isSwitchType(DWORD type) { return (type & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_SWITCH; }
constexpr bool isListType(DWORD type) { return (type & MIXERCONTROL_CT_CLASS_MASK) == MIXERCONTROL_CT_CLASS_LIST; }
constexpr bool isBooleanUnits(DWORD type) {
    return (type & MIXERCONTROL_CT_UNITS_MASK) == MIXERCONTROL_CT_UNITS_BOOLEAN;
}
constexpr bool isUnsignedUnits(DWORD type) {
    return (type & MIXERCONTROL_CT_UNITS_MASK) == MIXERCONTROL_CT_UNITS_UNSIGNED;
}
