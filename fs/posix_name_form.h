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

// Turns a layer path without its drive into its POSIX form, in place, from
// byte `from` on: '\' becomes '/', U+F05C becomes '\'. Every file opened
// natively comes through here, so the common path, without U+F05C, is one
// pass.
inline void ToPosixForm(std::string& path, size_t from = 0) {
    for (size_t i = from; i < path.size(); ++i) {
        if (path[i] == '\\') path[i] = '/';
    }
    size_t at = path.find(layerBackslash, from);
    while (at != std::string::npos) {
        path.replace(at, sizeof layerBackslash - 1, 1, '\\');
        at = path.find(layerBackslash, at + 1);
    }
}

inline std::string PosixFormOf(const std::string& layer) {
    std::string posix(layer);
    ToPosixForm(posix);
    return posix;
}
