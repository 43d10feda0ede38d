#pragma once
// The fuzz targets' one check: a broken promise stops the run at once, with
// the input that broke it, as a crash does.

namespace veltra::fuzz {

inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace veltra::fuzz
