#include "platform/mixer_names.h"

#include <QStringList>

#include <utility>

QString componentTypeName(DWORD type) {
    static const char* const dst[] = {"DST_UNDEFINED",  "DST_DIGITAL",   "DST_LINE",   "DST_MONITOR", "DST_SPEAKERS",
                                      "DST_HEADPHONES", "DST_TELEPHONE", "DST_WAVEIN", "DST_VOICEIN"};
    static const char* const src[] = {"SRC_UNDEFINED",   "SRC_DIGITAL",     "SRC_LINE",      "SRC_MICROPHONE",
                                      "SRC_SYNTHESIZER", "SRC_COMPACTDISC", "SRC_TELEPHONE", "SRC_PCSPEAKER",
                                      "SRC_WAVEOUT",     "SRC_AUXILIARY",   "SRC_ANALOG"};
    if (type <= MIXERLINE_COMPONENTTYPE_DST_LAST) return QString::fromLatin1(dst[type]);
    if (type >= MIXERLINE_COMPONENTTYPE_SRC_FIRST && type <= MIXERLINE_COMPONENTTYPE_SRC_LAST)
        return QString::fromLatin1(src[type - MIXERLINE_COMPONENTTYPE_SRC_FIRST]);
    return QStringLiteral("0x%1").arg(type, 4, 16, QLatin1Char('0'));
}

QString controlTypeName(DWORD type) {
    static const std::pair<DWORD, const char*> names[] = {
        {MIXERCONTROL_CONTROLTYPE_CUSTOM, "CUSTOM"},
        {MIXERCONTROL_CONTROLTYPE_BOOLEANMETER, "BOOLEANMETER"},
        {MIXERCONTROL_CONTROLTYPE_SIGNEDMETER, "SIGNEDMETER"},
        {MIXERCONTROL_CONTROLTYPE_PEAKMETER, "PEAKMETER"},
        {MIXERCONTROL_CONTROLTYPE_UNSIGNEDMETER, "UNSIGNEDMETER"},
        {MIXERCONTROL_CONTROLTYPE_BOOLEAN, "BOOLEAN"},
        {MIXERCONTROL_CONTROLTYPE_ONOFF, "ONOFF"},
        {MIXERCONTROL_CONTROLTYPE_MUTE, "MUTE"},
        {MIXERCONTROL_CONTROLTYPE_MONO, "MONO"},
        {MIXERCONTROL_CONTROLTYPE_LOUDNESS, "LOUDNESS"},
        {MIXERCONTROL_CONTROLTYPE_STEREOENH, "STEREOENH"},
        {MIXERCONTROL_CONTROLTYPE_BASS_BOOST, "BASS_BOOST"},
        {MIXERCONTROL_CONTROLTYPE_BUTTON, "BUTTON"},
        {MIXERCONTROL_CONTROLTYPE_DECIBELS, "DECIBELS"},
        {MIXERCONTROL_CONTROLTYPE_SIGNED, "SIGNED"},
        {MIXERCONTROL_CONTROLTYPE_UNSIGNED, "UNSIGNED"},
        {MIXERCONTROL_CONTROLTYPE_PERCENT, "PERCENT"},
        {MIXERCONTROL_CONTROLTYPE_SLIDER, "SLIDER"},
        {MIXERCONTROL_CONTROLTYPE_PAN, "PAN"},
        {MIXERCONTROL_CONTROLTYPE_QSOUNDPAN, "QSOUNDPAN"},
        {MIXERCONTROL_CONTROLTYPE_FADER, "FADER"},
        {MIXERCONTROL_CONTROLTYPE_VOLUME, "VOLUME"},
        {MIXERCONTROL_CONTROLTYPE_BASS, "BASS"},
        {MIXERCONTROL_CONTROLTYPE_TREBLE, "TREBLE"},
        {MIXERCONTROL_CONTROLTYPE_EQUALIZER, "EQUALIZER"},
        {MIXERCONTROL_CONTROLTYPE_SINGLESELECT, "SINGLESELECT"},
        {MIXERCONTROL_CONTROLTYPE_MUX, "MUX"},
        {MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, "MULTIPLESELECT"},
        {MIXERCONTROL_CONTROLTYPE_MIXER, "MIXER"},
    };
    for (const auto& [value, name] : names)
        if (value == type) return QString::fromLatin1(name);
    return QStringLiteral("0x%1").arg(type, 8, 16, QLatin1Char('0'));
}

QString controlFlagNames(DWORD flags) {
    QStringList out;
    if (flags & MIXERCONTROL_CONTROLF_UNIFORM) out << QStringLiteral("uniform");
    if (flags & MIXERCONTROL_CONTROLF_MULTIPLE) out << QStringLiteral("multiple");
    if (flags & MIXERCONTROL_CONTROLF_DISABLED) out << QStringLiteral("disabled");
    return out.join(QLatin1Char('|'));
}
