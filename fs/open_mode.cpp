#include "fs/open_mode.h"

#include <cstddef>

namespace {

constexpr uint32_t accessBits = openNoAccess | openRead | openWrite | openReadWrite;
constexpr uint32_t shareBits = openShareRead | openShareWrite | openShareReadWrite | openShareNone;

// One mode bit and the platform bits it stands for.
struct BitMeaning {
    uint32_t modeBit;
    uint32_t platformBits;
};

constexpr BitMeaning accessMeanings[] = {
    {openRead, win32_open::genericRead},
    {openWrite, win32_open::genericWrite},
    {openReadWrite, win32_open::genericRead | win32_open::genericWrite},
};
constexpr BitMeaning shareMeanings[] = {
    {openShareRead, win32_open::shareRead},
    {openShareWrite, win32_open::shareWrite},
    {openShareReadWrite, win32_open::shareRead | win32_open::shareWrite},
};
constexpr BitMeaning flagMeanings[] = {
    {openDeleteOnClose, win32_open::flagDeleteOnClose},
    {openTemporary, win32_open::attributeTemporary},
    {openHidden, win32_open::attributeHidden},
    {openWriteThrough, win32_open::flagWriteThrough},
    {openRandomAccess, win32_open::flagRandomAccess},
    {openSequentialScan, win32_open::flagSequentialScan},
};

template <size_t count>
uint32_t Translate(uint32_t mode, const BitMeaning (&meanings)[count]) {
    uint32_t result = 0;
    for (const BitMeaning& meaning : meanings)
        if (mode & meaning.modeBit) result |= meaning.platformBits;
    return result;
}

} // namespace

uint32_t CompleteOpenMode(uint32_t mode) {
    if (!(mode & accessBits)) mode |= openReadWrite;
    if (!(mode & shareBits)) mode |= openShareRead;
    if (mode & openTempName) mode |= openCreate;
    return mode;
}

OpenParameters TranslateOpenMode(uint32_t mode) {
    OpenParameters parameters;
    // openNoAccess and openShareNone stand for no platform bit at all.
    parameters.access = Translate(mode, accessMeanings);
    parameters.share = Translate(mode, shareMeanings);
    parameters.creation = (mode & openCreate) ? win32_open::createAlways : win32_open::openExisting;
    parameters.flags = Translate(mode, flagMeanings);
    // Attributes of their own or none: the platform wants "normal" then.
    if (!(parameters.flags & (win32_open::attributeTemporary | win32_open::attributeHidden)))
        parameters.flags |= win32_open::attributeNormal;
    return parameters;
}
