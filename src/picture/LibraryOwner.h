#pragma once
// An owner for a handle of a C library, released by the library's own
// function on every path out of the scope that made it:
//   using ContextOwner = LibraryOwner<heif_context, heif_context_free>;

#include <memory>

namespace vardolin::picture {

template <auto release> struct ReleaseWith {
    template <typename T> void operator()(T* handle) const { release(handle); }
};

template <typename T, auto release> using LibraryOwner = std::unique_ptr<T, ReleaseWith<release>>;

} // namespace vardolin::picture
