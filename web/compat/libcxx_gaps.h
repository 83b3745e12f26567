#pragma once

// Emscripten 3.1.6's libc++ predates a few C++20 library pieces that the converter uses; the
// compiler has what they need. Included before every source of the page's build only.

#include <version>

#if !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {

template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}

}  // namespace std
#endif
