// The attribute word of the file layer: the platform's file attributes in bit
// positions of their own. -1 stands for "no such file" where a word is read.
#pragma once

#include <cstdint>

enum FileAttributeBit : int32_t {
    attributeNormal = 0x1,     // platform 0x80
    attributeReadOnly = 0x2,   // platform 0x01
    attributeHidden = 0x4,     // platform 0x02
    attributeSystem = 0x8,     // platform 0x04
    attributeDirectory = 0x10, // platform 0x10
    attributeArchive = 0x20,   // platform 0x20
};

// The layer's word for a platform attribute set; platform bits without a
// place in the word are dropped.
int32_t AttributesFromPlatform(uint32_t platformAttributes);
// The platform attribute set for a word of the layer. An empty set becomes the
// platform's "normal" attribute, since the platform reads 0 as "change
// nothing" when attributes are set.
uint32_t AttributesToPlatform(int32_t attributes);
