#include "platform/hxtl/Hxtl.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/drives/DriveTable.h"

namespace tqen::hxtl {

namespace {

std::string folderOfDrive(const QString &drive) {
    const QString folder = drives::folderOf(drive);
    return folder.isEmpty() ? std::string() : folder.toStdString();
}

bool writeAll(int fd, const unsigned char *p, std::size_t n) {
    while (n > 0) {
        const ssize_t r = ::write(fd, p, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

bool readAll(int fd, unsigned char *p, std::size_t n) {
    while (n > 0) {
        const ssize_t r = ::read(fd, p, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

}  // namespace

bool goodDrive(const QString &drive) {
    const std::string folder = folderOfDrive(drive);
    if (folder.empty()) return false;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    DIR *d = ::opendir(folder.c_str());
    if (!d) return false;
    errno = 0;
    ::readdir(d);  // reading the first entry shows that the medium answers
    const bool ok = errno == 0;
    ::closedir(d);
    return ok;
}

bool writeTest(const QString &drive) {
    if (!goodDrive(drive)) return false;
    std::string path = folderOfDrive(drive) + "/.tqen-writetest-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return false;
    // A block of varying bytes, so that a read-back of zeros or stale data fails.
    std::array<unsigned char, 512> block{}, back{};
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>((i * 37 + 11) ^ (i >> 3));
    bool ok = writeAll(fd, block.data(), block.size()) && ::fsync(fd) == 0 &&
              ::lseek(fd, 0, SEEK_SET) == 0 && readAll(fd, back.data(), back.size()) && back == block;
    if (::close(fd) != 0) ok = false;
    if (::unlink(path.c_str()) != 0) ok = false;
    return ok;
}

}  // namespace tqen::hxtl

int GoodDrive(const char *drive) {
    return drive && tqen::hxtl::goodDrive(QString::fromUtf8(drive)) ? 1 : 0;
}

int WriteTest(const char *drive) {
    return drive && tqen::hxtl::writeTest(QString::fromUtf8(drive)) ? 1 : 0;
}
