// How POSIX paths are spelt in the file layer's paths natively, and back:
// drive Z: is the root of the file system (as under Wine) and a backslash
// separates, so a backslash that a POSIX name holds, where it is no
// separator, is spelt U+F05C (as Cygwin and WSL spell it), which gives the
// name back unchanged when the path is opened or shown.
#pragma once

#include <cstring>
#include <string>

// U+F05C in UTF-8.
constexpr char layerBackslash[] = "\xEF\x81\x9C";

// The layer's form of a POSIX path or name, without a drive: '/' becomes
// '\', '\' becomes U+F05C.
inline std::string LayerFormOf(const std::string& posix) {
    std::string layer;
    layer.reserve(posix.size());
    for (char c : posix) {
        if (c == '\\')
            layer += layerBackslash;
        else
            layer += c == '/' ? '\\' : c;
    }
    return layer;
}

// The POSIX form of a layer path without its drive: '\' becomes '/',
// U+F05C becomes '\'.
inline std::string PosixFormOf(const std::string& layer) {
    const size_t spelt = sizeof layerBackslash - 1;
    std::string posix;
    posix.reserve(layer.size());
    for (size_t i = 0; i < layer.size(); ++i) {
        if (layer.compare(i, spelt, layerBackslash) == 0) {
            posix += '\\';
            i += spelt - 1;
        } else {
            posix += layer[i] == '\\' ? '/' : layer[i];
        }
    }
    return posix;
}
