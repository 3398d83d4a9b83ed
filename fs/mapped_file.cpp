// What MappedFile does the same on every platform: its views as a list, and
// the file it owns or borrows. The mapping and the views' own mapping are the
// platform's (mapped_file_win32.cpp, mapped_file_native.cpp).
#include "fs/mapped_file.h"

#include <memory>

#include "base/exception.h"
#include "fs/file_errors.h"

MappedFile::View::~View() {
    Unmap();
}

char* MappedFile::View::Remap(uint64_t offset, uint32_t size) {
    if (!_base) return nullptr;
    Unmap();
    Map(offset, size);
    return _base;
}

MappedFile::MappedFile(const FileName& name, uint32_t mode, int mapNow, uint32_t maxSize)
    : _file(nullptr), _ownsFile(1) {
    std::unique_ptr<File> file(new File(name, mode));
    _file = file.get();
    Map(mapNow, maxSize);
    file.release();
}

MappedFile::MappedFile(File* file, int mapNow, uint32_t maxSize) : _file(file), _ownsFile(0) {
    Map(mapNow, maxSize);
}

MappedFile::~MappedFile() {
    if (_mapping) {
        DeleteViews(nullptr);
        CloseMapping();
    }
    if (_ownsFile) delete _file;
}

void MappedFile::Map(int mapNow, uint32_t maxSize) {
    OpenMapping(maxSize);
    if (!mapNow) return;
    try {
        AddView(0, 0);
    } catch (...) {
        CloseMapping();
        throw;
    }
}

void MappedFile::DeleteViews(View* keep) {
    for (View* view = _views.GetHead(); view;) {
        View* next = List<View>::GetNext(view);
        if (view != keep) _views.Delete(view);
        view = next;
    }
}

MappedFile::View* MappedFile::AddView(uint64_t offset, uint32_t size) {
    std::unique_ptr<View> view(new View(this));
    view->Map(offset, size);
    return _views.AddTail(view.release());
}

int MappedFile::IsViewTooLarge(const Exception& failure) {
    return failure.GetCode() == errorNotEnoughMemory || failure.GetCode() == errorFileTooLarge;
}

void MappedFile::RemoveView(View* view) {
    _views.Delete(view);
}

char* MappedFile::GetData() const {
    const View* first = _views.GetHead();
    return first ? first->GetBase() : nullptr;
}

uint32_t MappedFile::GetSize() const {
    const View* first = _views.GetHead();
    return first ? first->GetSize() : 0;
}

void MappedFile::Close() {
    DeleteViews(nullptr);
    CloseMapping();
    _file->Close();
}
