// The built-in "demo" cards: an AC97-style card with every kind of line the
// program can show, and a small USB headset, so card choice can be tried.

#include "platform/sim/sim_driver.h"

QByteArray SimDriver::demoJson() {
    return QByteArrayLiteral(R"json({
  "devices": [
    {
      "name": "Tavlo Demo Card", "mid": 1, "pid": 104, "driverVersion": 1280,
      "destinations": [
        {
          "type": "speakers", "channels": 2, "shortName": "Volume", "name": "Volume Control",
          "controls": [
            { "type": "volume", "name": "Master Volume", "values": [46000, 46000] },
            { "type": "mute", "name": "Master Mute", "uniform": true, "values": 0 },
            { "type": "bass", "name": "Bass", "uniform": true, "values": 32768 },
            { "type": "treble", "name": "Treble", "uniform": true, "values": 32768 },
            { "type": "peakmeter", "name": "Peak Meter", "meter": { "signal": "sine", "min": 0, "max": 30000, "periodMs": 1700 } }
          ],
          "sources": [
            { "type": "waveout", "channels": 2, "shortName": "Wave", "name": "Wave",
              "controls": [
                { "type": "volume", "values": [52000, 52000] },
                { "type": "mute", "uniform": true, "values": 0 },
                { "type": "peakmeter", "meter": { "signal": "sine", "min": 0, "max": 26000, "periodMs": 900 } } ] },
            { "type": "synthesizer", "channels": 2, "shortName": "MIDI", "name": "MIDI synth",
              "controls": [
                { "type": "volume", "values": [40000, 40000] },
                { "type": "mute", "uniform": true, "values": 0 } ] },
            { "type": "compactdisc", "channels": 2, "shortName": "CD", "name": "CD audio",
              "controls": [
                { "type": "volume", "values": [39000, 36000] },
                { "type": "mute", "uniform": true, "values": 0 } ] },
            { "type": "line", "channels": 2, "shortName": "Line", "name": "Line in",
              "controls": [
                { "type": "volume", "values": [33000, 33000] },
                { "type": "mute", "uniform": true, "values": 1 },
                { "type": "loudness", "name": "Loudness", "uniform": true, "values": 0 },
                { "type": "mono", "name": "Mono", "uniform": true, "values": 0 } ] },
            { "type": "microphone", "channels": 1, "shortName": "Mic", "name": "Microphone",
              "controls": [
                { "type": "volume", "values": 20000 },
                { "type": "mute", "values": 1 } ] },
            { "type": "auxiliary", "channels": 2, "shortName": "Aux", "name": "Aux",
              "controls": [
                { "type": "volume", "values": [30000, 30000] },
                { "type": "mute", "uniform": true, "values": 0 } ] },
            { "type": "pcspeaker", "channels": 1, "shortName": "PC Spk", "name": "PC speaker",
              "controls": [
                { "type": "volume", "values": 26000 },
                { "type": "mute", "values": 0 } ] }
          ]
        },
        {
          "type": "wavein", "channels": 2, "shortName": "Recording", "name": "Recording Control",
          "controls": [
            { "type": "volume", "name": "Recording Volume", "values": [42000, 42000] },
            { "type": "mux", "name": "Recording Source", "uniform": true, "values": [1, 0, 0, 0] },
            { "type": "peakmeter", "name": "Recording Peak", "meter": { "signal": "sine", "min": 0, "max": 22000, "periodMs": 1300 } }
          ],
          "sources": [
            { "type": "microphone", "channels": 1, "shortName": "Mic", "name": "Microphone",
              "controls": [ { "type": "volume", "values": 30000 } ] },
            { "type": "line", "channels": 2, "shortName": "Line", "name": "Line in",
              "controls": [ { "type": "volume", "values": [36000, 36000] } ] },
            { "type": "compactdisc", "channels": 2, "shortName": "CD", "name": "CD audio",
              "controls": [ { "type": "volume", "values": [36000, 36000] } ] },
            { "type": "analog", "channels": 2, "shortName": "Stereo mix", "name": "Stereo mix",
              "controls": [ { "type": "volume", "values": [28000, 28000] } ] }
          ]
        }
      ]
    },
    {
      "name": "Tavlo Demo USB Headset", "mid": 2, "pid": 9, "driverVersion": 256,
      "destinations": [
        {
          "type": "speakers", "channels": 2, "shortName": "Speaker", "name": "Headset Speaker",
          "controls": [
            { "type": "volume", "values": [40000, 40000] },
            { "type": "mute", "uniform": true, "values": 0 }
          ],
          "sources": [
            { "type": "waveout", "channels": 2, "shortName": "Wave", "name": "Wave",
              "controls": [
                { "type": "volume", "values": [50000, 50000] },
                { "type": "mute", "uniform": true, "values": 0 } ] }
          ]
        },
        {
          "type": "wavein", "channels": 1, "shortName": "Capture", "name": "Headset Capture",
          "controls": [
            { "type": "volume", "values": 38000 },
            { "type": "mixer", "name": "Capture Sources", "values": [1] }
          ],
          "sources": [
            { "type": "microphone", "channels": 1, "shortName": "Mic", "name": "Headset Mic",
              "controls": [ { "type": "volume", "values": 33000 } ] }
          ]
        }
      ]
    }
  ]
})json");
}
