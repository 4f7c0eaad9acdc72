#pragma once
// Builds a mixer service over simulated cards for a test.

#include "platform/mixer_service.h"
#include "platform/sim/sim_driver.h"

#include <QByteArray>
#include <QString>
#include <QTest>

#include <memory>

struct SimFixture {
    explicit SimFixture(const QByteArray& json) {
        QString error;
        auto d = SimDriver::fromJson(json, &error);
        if (!d) qFatal("card description rejected: %s", qPrintable(error));
        driver = d.get();
        service = std::make_unique<MixerService>(std::move(d));
    }
    static SimFixture demo() { return SimFixture(SimDriver::demoJson()); }
    SimDriver* driver = nullptr;  // owned by the service
    std::unique_ptr<MixerService> service;
};

// A one-device card description around the given destinations array.
inline QByteArray card(const char* destinations, const char* name = "Test Card") {
    return QByteArray(R"({"devices":[{"name":")") + name + R"(","destinations":)" + destinations + "}]}";
}
