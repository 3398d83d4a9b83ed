#include "fs/file_attributes.h"

namespace {

struct AttributePlace {
    int32_t layerBit;
    uint32_t platformBit;
};

constexpr AttributePlace places[] = {
    {attributeNormal, 0x80}, {attributeReadOnly, 0x01},  {attributeHidden, 0x02},
    {attributeSystem, 0x04}, {attributeDirectory, 0x10}, {attributeArchive, 0x20},
};

constexpr uint32_t platformNormal = 0x80;

} // namespace

int32_t AttributesFromPlatform(uint32_t platformAttributes) {
    int32_t attributes = 0;
    for (const AttributePlace& place : places)
        if (platformAttributes & place.platformBit) attributes |= place.layerBit;
    return attributes;
}

uint32_t AttributesToPlatform(int32_t attributes) {
    uint32_t platformAttributes = 0;
    for (const AttributePlace& place : places)
        if (attributes & place.layerBit) platformAttributes |= place.platformBit;
    return platformAttributes ? platformAttributes : platformNormal;
}
