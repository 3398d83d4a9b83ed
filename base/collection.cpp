#include "base/collection.h"

Collection::Collection(int owns) : _flags(owns ? ownsElements : 0), _compareArg(0), _count(0) {}

Collection::Collection(const Collection& source)
    : _flags(source._flags & ownsElements), _compareArg(source._compareArg), _count(0) {}

Collection::~Collection() = default;
