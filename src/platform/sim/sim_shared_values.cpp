// Sharing the simulated cards' values between processes through one small
// text file ("device control value..." per line), locked while it is read
// or written and watched for changes made by the others.

#include "platform/sim/sim_device.h"
#include "platform/sim/sim_driver.h"

#include <QFile>
#include <QFileSystemWatcher>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>

namespace {

// Holds an flock on an open file for one read or write.
class FileLock {
public:
    FileLock(int fd, int operation) : fd_(fd) { ok_ = ::flock(fd_, operation) == 0; }
    ~FileLock() {
        if (ok_) ::flock(fd_, LOCK_UN);
    }
    bool ok() const { return ok_; }

private:
    int fd_;
    bool ok_;
};

constexpr qint64 kMaxSharedFile = 1 << 20;

using SharedValues = std::map<std::pair<int, DWORD>, std::vector<DWORD>>;

SharedValues parse(const QByteArray& data) {
    SharedValues out;
    for (const QByteArray& line : data.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 3) continue;
        bool ok1 = false, ok2 = false;
        const int device = f[0].toInt(&ok1);
        const DWORD control = f[1].toUInt(&ok2);
        if (!ok1 || !ok2) continue;
        std::vector<DWORD> values;
        bool ok = true;
        for (int i = 2; i < f.size() && ok; ++i) values.push_back(f[i].toUInt(&ok));
        if (ok) out[{device, control}] = std::move(values);
    }
    return out;
}

}  // namespace

bool SimDriver::shareValuesThrough(const QString& path) {
    QFile probe(path);
    if (!probe.open(QIODevice::ReadWrite)) return false;
    probe.close();
    shared_ = std::make_unique<SharedFile>();
    shared_->path = path;
    loadShared(false);
    saveShared(nullptr, 0);  // the file now holds every control, ours included
    shared_->watcher.addPath(path);
    connect(&shared_->watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        loadShared(true);
        // Some writers replace the file; keep watching the new one.
        if (!shared_->watcher.files().contains(shared_->path)) shared_->watcher.addPath(shared_->path);
    });
    return true;
}

void SimDriver::loadShared(bool notify) {
    QFile file(shared_->path);
    if (!file.open(QIODevice::ReadOnly)) return;
    QByteArray data;
    {
        FileLock lock(file.handle(), LOCK_SH);
        if (!lock.ok()) return;
        data = file.read(kMaxSharedFile);
    }
    const SharedValues values = parse(data);
    for (int i = 0; i < deviceCount(); ++i) {
        Device& d = *devices_[std::size_t(i)];
        for (auto& [id, control] : d.controls) {
            auto it = values.find({i, id});
            if (control.meter || it == values.end() || it->second.size() != control.values.size() ||
                it->second == control.values)
                continue;
            control.values = it->second;
            if (notify) emit controlChanged(d.key, id);
        }
    }
}

namespace {

QByteArray format(const SharedValues& values) {
    QByteArray text;
    for (const auto& [key, list] : values) {
        text += QByteArray::number(key.first) + ' ' + QByteArray::number(key.second);
        for (DWORD v : list) text += ' ' + QByteArray::number(v);
        text += '\n';
    }
    return text;
}

}  // namespace

void SimDriver::saveShared(const Device* device, DWORD controlId) {
    if (!shared_) return;
    QFile file(shared_->path);
    if (!file.open(QIODevice::ReadWrite)) return;
    FileLock lock(file.handle(), LOCK_EX);
    if (!lock.ok()) return;
    // Merge under the lock, so a change another process made meanwhile to
    // some other control is kept.
    SharedValues values = parse(file.read(kMaxSharedFile));
    for (int i = 0; i < deviceCount(); ++i) {
        const Device& d = *devices_[std::size_t(i)];
        if (device && &d != device) continue;
        for (const auto& [id, control] : d.controls) {
            if (control.meter) continue;
            if (device ? id == controlId : !values.count({i, id})) values[{i, id}] = control.values;
        }
    }
    const QByteArray text = format(values);
    // Rewritten in place so every watcher keeps watching the same file.
    file.seek(0);
    file.write(text);
    file.resize(text.size());
    file.flush();
}
