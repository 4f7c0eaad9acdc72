#include "test_cards.h"

#include <QFile>
#include <QtGlobal>

#include <algorithm>

namespace testcard {

TestCards::TestCards() {
    if (dir_.isValid()) qputenv("TAVLO_TEST_CARD_DIR", QFile::encodeName(dir_.path()));
}

TestCards::~TestCards() { qunsetenv("TAVLO_TEST_CARD_DIR"); }

QString TestCards::statePath(std::string_view profile) const {
    return dir_.filePath(QString::fromLatin1(profile.data(), qsizetype(profile.size())) + QStringLiteral(".state"));
}

QString deviceName(std::string_view profile) {
    return QStringLiteral("tavlo_") + QString::fromLatin1(profile.data(), qsizetype(profile.size()));
}

CardState::CardState(const QString& path, std::string_view profile) {
    if (const Profile* p = findProfile(profile)) file_.open(QFile::encodeName(path).toStdString(), *p);
}

int CardState::find(std::string_view elem) const { return file_.isOpen() ? file_.profile().find(elem) : -1; }

bool CardState::set(std::string_view elem, std::initializer_list<long> values) {
    const int i = find(elem);
    if (i < 0) return false;
    ElemRecord r;
    if (file_.readElem(i, r) != 0) return false;
    const int channels = file_.profile().elems[static_cast<std::size_t>(i)].channels;
    int ch = 0;
    for (long v : values) {
        if (ch < channels) r.value[ch++] = static_cast<std::int32_t>(v);
    }
    // One value sets every channel.
    for (; ch < channels && values.size() == 1; ++ch) r.value[ch] = static_cast<std::int32_t>(*values.begin());
    return file_.writeElem(i, r) == 0;
}

std::vector<long> CardState::get(std::string_view elem) const {
    const int i = find(elem);
    ElemRecord r;
    if (i < 0 || file_.readElem(i, r) != 0) return {};
    const int channels = file_.profile().elems[static_cast<std::size_t>(i)].channels;
    return std::vector<long>(r.value, r.value + channels);
}

bool CardState::setPresent(std::string_view elem, bool present) {
    const int i = find(elem);
    ElemRecord r;
    if (i < 0 || file_.readElem(i, r) != 0) return false;
    r.present = present ? 1 : 0;
    return file_.writeElem(i, r) == 0;
}

bool CardState::setFail(int errorNumber) { return file_.isOpen() && file_.setFail(errorNumber) == 0; }

const DriverDestination* destinationOfType(const DeviceModel& model, DWORD componentType) {
    for (const auto& d : model.destinations)
        if (d.line.info.dwComponentType == componentType) return &d;
    return nullptr;
}

const DriverLine* sourceNamed(const DriverDestination& dest, std::string_view name) {
    const int i = sourceIndex(dest, name);
    return i < 0 ? nullptr : &dest.sources[static_cast<std::size_t>(i)];
}

int sourceIndex(const DriverDestination& dest, std::string_view name) {
    for (std::size_t i = 0; i < dest.sources.size(); ++i)
        if (name == dest.sources[i].info.szName) return static_cast<int>(i);
    return -1;
}

const DriverControl* controlOfType(const DriverLine& line, DWORD controlType) {
    for (const auto& c : line.controls)
        if (c.info.dwControlType == controlType) return &c;
    return nullptr;
}

std::vector<std::string> controlNames(const DriverLine& line) {
    std::vector<std::string> out;
    for (const auto& c : line.controls) out.emplace_back(c.info.szName);
    return out;
}

std::vector<std::string> sourceNames(const DriverDestination& dest) {
    std::vector<std::string> out;
    for (const auto& s : dest.sources) out.emplace_back(s.info.szName);
    return out;
}

}  // namespace testcard
