#include "test_card_state.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace testcard {

namespace {

constexpr char kMagic[8] = {'T', 'A', 'V', 'L', 'O', 'T', 'C', '3'};

struct Header {
    char magic[8];
    char profile[16];
    std::int32_t count;
    Faults faults;
};

constexpr off_t kFaultsOffset = offsetof(Header, faults);
off_t elemOffset(int elem) { return static_cast<off_t>(sizeof(Header) + sizeof(ElemRecord) * elem); }

class Lock {
public:
    Lock(int fd, int op) : fd_(fd) {
        while (::flock(fd_, op) < 0 && errno == EINTR) {
        }
    }
    ~Lock() { ::flock(fd_, LOCK_UN); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    int fd_;
};

int preadAll(int fd, void* buf, std::size_t size, off_t at) {
    const ssize_t n = ::pread(fd, buf, size, at);
    if (n < 0) return -errno;
    return static_cast<std::size_t>(n) == size ? 0 : -EIO;
}

int pwriteAll(int fd, const void* buf, std::size_t size, off_t at) {
    const ssize_t n = ::pwrite(fd, buf, size, at);
    if (n < 0) return -errno;
    return static_cast<std::size_t>(n) == size ? 0 : -EIO;
}

}  // namespace

StateFile::StateFile(StateFile&& other) noexcept : fd_(other.fd_), profile_(other.profile_) { other.fd_ = -1; }

StateFile& StateFile::operator=(StateFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        profile_ = other.profile_;
        other.fd_ = -1;
    }
    return *this;
}

StateFile::~StateFile() {
    if (fd_ >= 0) ::close(fd_);
}

int StateFile::open(const std::string& path, const Profile& profile, bool create) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0) return -errno;
    int err = 0;
    {
        Lock lock(fd, LOCK_EX);
        struct stat st {};
        if (::fstat(fd, &st) < 0) {
            err = -errno;
        } else if (st.st_size == 0) {
            Header h{};
            std::memcpy(h.magic, kMagic, sizeof kMagic);
            std::strncpy(h.profile, profile.id.c_str(), sizeof h.profile - 1);
            h.count = static_cast<std::int32_t>(profile.elems.size());
            std::vector<ElemRecord> records(profile.elems.size());
            for (std::size_t i = 0; i < records.size(); ++i) {
                records[i].present = profile.elems[i].present ? 1 : 0;
                for (int ch = 0; ch < kMaxChannels; ++ch)
                    records[i].value[ch] = static_cast<std::int32_t>(profile.elems[i].start[ch]);
            }
            err = pwriteAll(fd, &h, sizeof h, 0);
            if (!err) err = pwriteAll(fd, records.data(), records.size() * sizeof(ElemRecord), sizeof h);
        } else {
            Header h{};
            err = preadAll(fd, &h, sizeof h, 0);
            // A file of another card or a damaged one is refused, not repaired.
            if (!err &&
                (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 ||
                 std::strncmp(h.profile, profile.id.c_str(), sizeof h.profile) != 0 ||
                 h.count != static_cast<std::int32_t>(profile.elems.size()) || st.st_size < elemOffset(h.count)))
                err = -EINVAL;
        }
    }
    if (err) {
        ::close(fd);
        return err;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    profile_ = &profile;
    return 0;
}

bool StateFile::unlinked() const {
    struct stat st {};
    return fd_ < 0 || ::fstat(fd_, &st) < 0 || st.st_nlink == 0;
}

int StateFile::read(Snapshot& out) const {
    Lock lock(fd_, LOCK_SH);
    int err = preadAll(fd_, &out.faults, sizeof out.faults, kFaultsOffset);
    if (err) return err;
    out.elems.resize(profile_->elems.size());
    return preadAll(fd_, out.elems.data(), out.elems.size() * sizeof(ElemRecord), elemOffset(0));
}

int StateFile::readElem(int elem, ElemRecord& out, Faults* faults) const {
    Lock lock(fd_, LOCK_SH);
    if (faults) {
        if (int err = preadAll(fd_, faults, sizeof *faults, kFaultsOffset)) return err;
    }
    return preadAll(fd_, &out, sizeof out, elemOffset(elem));
}

int StateFile::writeElem(int elem, const ElemRecord& record, bool* changed) {
    Lock lock(fd_, LOCK_EX);
    ElemRecord old;
    if (int err = preadAll(fd_, &old, sizeof old, elemOffset(elem))) return err;
    const bool differs = std::memcmp(&old, &record, sizeof old) != 0;
    if (changed) *changed = differs;
    // Unchanged values are not rewritten, so watchers see no event.
    return differs ? pwriteAll(fd_, &record, sizeof record, elemOffset(elem)) : 0;
}

int StateFile::setFaults(const Faults& faults) {
    Lock lock(fd_, LOCK_EX);
    return pwriteAll(fd_, &faults, sizeof faults, kFaultsOffset);
}

}  // namespace testcard
