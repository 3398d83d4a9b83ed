// File natively: the open file and the reading of its data over POSIX
// descriptors, as the search uses them. The handle is the descriptor. Names
// are in drive Z: form (fs/posix_file.h). Of the open mode, the access bits,
// openCreate and openDeleteOnClose have a POSIX meaning; sharing and the
// hints have none and are dropped. A temporary name or a cleared read-only
// attribute cannot be asked for here: such an open raises 18000.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "base/exception.h"
#include "fs/file.h"
#include "fs/file_errors.h"
#include "fs/posix_file.h"

namespace {

int DescriptorOf(File::Handle handle) {
    return static_cast<int>(reinterpret_cast<intptr_t>(handle));
}

// The folder of the file opened last for reading on this thread, kept open:
// a walk opens a folder's files one after the other, and a name opened
// relative to its folder costs the system the look-up of that name alone,
// not of every folder on the way to it.
class FolderOfLastRead {
public:
    ~FolderOfLastRead() { Forget(); }

    // Opens `path` for reading, relative to its folder; -1 with errno set
    // when that fails (the caller then opens the whole path, which also
    // covers a folder gone or replaced since it was opened here).
    int Open(const std::string& path, int flags) {
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash == 0) {
            errno = ENOENT;
            return -1;
        }
        if (_descriptor < 0 || _path.size() != slash || path.compare(0, slash, _path) != 0) {
            Forget();
            _path.assign(path, 0, slash);
            _descriptor = open(_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (_descriptor < 0) return -1;
        }
        return openat(_descriptor, path.c_str() + slash + 1, flags);
    }

    void Forget() {
        if (_descriptor >= 0) close(_descriptor);
        _descriptor = -1;
        _path.clear();
    }

private:
    std::string _path;
    int _descriptor = -1;
};

thread_local FolderOfLastRead folderOfLastRead;

int OpenFlagsOf(uint32_t mode) {
    const bool reads = (mode & (openRead | openReadWrite)) != 0;
    const bool writes = (mode & (openWrite | openReadWrite)) != 0;
    int flags = O_CLOEXEC | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
    if (mode & openCreate) flags |= O_CREAT | O_TRUNC;
    return flags;
}

} // namespace

File::Handle const File::invalidHandle = reinterpret_cast<File::Handle>(intptr_t(-1));

File::File() : _handle(invalidHandle) {}

File::File(Handle handle) : _handle(handle) {}

File::File(const FileName& name, uint32_t mode) : _handle(invalidHandle) {
    Open(name, mode);
}

File::~File() {
    Close();
    std::string posix;
    if (_deleteOnDestroy && PosixPathOf(_name.c_str(), &posix)) unlink(posix.c_str());
}

void File::Open(const FileName& name, uint32_t mode) {
    _mode = CompleteOpenMode(mode);
    _name = name;
    // One buffer per thread: every file of a search is opened here.
    thread_local std::string posix;
    if ((_mode & (openTempName | openClearReadOnly)) || !PosixPathOf(_name.c_str(), &posix))
        Raise(msgOpenFailed, errorFileNotFound);
    const int flags = OpenFlagsOf(_mode);
    int descriptor = -1;
    if ((flags & O_ACCMODE) == O_RDONLY) descriptor = folderOfLastRead.Open(posix, flags);
    if (descriptor < 0) descriptor = open(posix.c_str(), flags, 0666);
    if (descriptor < 0) Raise(msgOpenFailed, FileErrorOf(errno));
    _handle = reinterpret_cast<Handle>(intptr_t(descriptor));
    if (_mode & openDeleteOnClose) unlink(posix.c_str());
}

void File::Close() {
    if (!IsOpen()) return;
    close(DescriptorOf(_handle));
    _handle = invalidHandle;
}

uint64_t File::GetSize64() const {
    struct stat status;
    if (fstat(DescriptorOf(_handle), &status) != 0) return 0;
    return static_cast<uint64_t>(status.st_size);
}

uint32_t File::GetSize() const {
    return static_cast<uint32_t>(GetSize64());
}

int File::Read(void* buffer, uint32_t count, int raise) {
    if (count == 0) return 1;
    // A read may stop short of the count (a signal, a large count): it goes
    // on until the count is reached, the file ends or it fails.
    char* into = static_cast<char*>(buffer);
    uint32_t transferred = 0;
    int error = 0;
    while (transferred < count) {
        const ssize_t got = read(DescriptorOf(_handle), into + transferred, count - transferred);
        if (got > 0) {
            transferred += static_cast<uint32_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            error = got < 0 ? errno : 0;
            break;
        }
    }
    _lastCount = error ? -1 : static_cast<int32_t>(transferred);
    if (transferred == count) return 1;
    if (raise) Raise(msgReadFailed, error ? FileErrorOf(error) : errorHandleEof);
    return 0;
}

int64_t File::ReadAt(uint64_t offset, void* buffer, uint32_t count) {
    char* into = static_cast<char*>(buffer);
    uint32_t transferred = 0;
    while (transferred < count) {
        const ssize_t got = pread(DescriptorOf(_handle), into + transferred, count - transferred,
                                  static_cast<off_t>(offset + transferred));
        if (got > 0) {
            transferred += static_cast<uint32_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0) {
            return -1;
        } else {
            break;
        }
    }
    return transferred;
}
