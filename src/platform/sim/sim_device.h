#pragma once
// One simulated device as the driver keeps it.

#include "platform/sim/sim_driver.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>

#include <unordered_map>

struct SimDriver::Device {
    DeviceKey key = 0;
    DeviceModel model;
    struct Control {
        std::vector<DWORD> values;
        std::optional<MeterSignal> meter;
        std::size_t step = 0;  // next entry of a List meter
    };
    std::unordered_map<DWORD, Control> controls;
    QElapsedTimer clock;
    bool movingMeters = false;  // a meter follows a signal or a list
    int writes = 0;
};

struct SimDriver::SharedFile {
    QString path;
    QFileSystemWatcher watcher;
};
