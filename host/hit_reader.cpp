#include "host/hit_reader.h"

GrepInfo* HitReader::At(int32_t index) {
    const int32_t count = _list._count;
    if (index < 0 || index >= count) return nullptr;
    // Start from the nearest known record: the head, the tail or the last one given.
    GrepInfo* record = _list.GetHead();
    int32_t position = 0;
    if (count - 1 - index < index) {
        record = _list.GetTail();
        position = count - 1;
    }
    const int32_t distance = position > index ? position - index : index - position;
    if (_last && (_lastIndex > index ? _lastIndex - index : index - _lastIndex) < distance) {
        record = _last;
        position = _lastIndex;
    }
    for (; position < index; ++position)
        record = List<GrepInfo>::GetNext(record);
    for (; position > index; --position)
        record = List<GrepInfo>::GetPrev(record);
    _last = record;
    _lastIndex = index;
    return record;
}
