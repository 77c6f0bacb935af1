#pragma once
// One way to fail in the picture engine: a function returns its value or the
// reason it has none, in words for the run log. The reason is made where the
// fault is seen; a caller passes it on with VARDOLIN_TRY instead of testing
// and re-wording it.
//
// A Result owns a std::string. Never hold one in a function that calls
// setjmp: a longjmp over its destructor is undefined. libjpeg and libpng are
// driven through one guard each (formats/JpegLibrary.h, formats/PngLibrary.h)
// that returns bool and leaves the library's message in a plain char buffer;
// the caller turns that into a Result.
//
// A picture that loaded but has something to say (a damaged file, colours
// not converted) is no failure: its notes travel with it (Picture.h).

#include <new>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vardolin::picture {

// Why something failed. Converts to a failed Result of any type.
struct Failure {
    std::string reason;
};

inline Failure fail(std::string reason)
{
    return Failure{std::move(reason)};
}

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only for a Result that is ok().
    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    // The reason; empty when the Result holds a value.
    const std::string& error() const
    {
        static const std::string none;
        return ok() ? none : std::get<1>(state_).reason;
    }
    // Only for a Result that is not ok().
    Failure failure() && { return std::get<1>(std::move(state_)); }

private:
    std::variant<T, Failure> state_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool ok() const { return !failure_.has_value(); }
    explicit operator bool() const { return ok(); }

    const std::string& error() const
    {
        static const std::string none;
        return failure_ ? failure_->reason : none;
    }
    Failure failure() && { return std::move(*failure_); }

private:
    std::optional<Failure> failure_;
};

// Runs work at one of the engine's doors (load, scale, save): an allocation
// that fails anywhere inside becomes a failed Result instead of an exception
// out of the engine.
template <typename Work> auto failOnOutOfMemory(Work&& work) -> decltype(work())
{
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}

} // namespace vardolin::picture

// Returns the failure of a Result to the caller; a value it holds is dropped.
//     VARDOLIN_TRY(limits.check(width, height));
#define VARDOLIN_TRY(expression)                                                                                       \
    do {                                                                                                               \
        if (auto vardolinTried = (expression); !vardolinTried)                                                         \
            return std::move(vardolinTried).failure();                                                                 \
    } while (false)

#define VARDOLIN_TRY_JOIN_(a, b) a##b
#define VARDOLIN_TRY_NAME_(line) VARDOLIN_TRY_JOIN_(vardolinTried, line)

// Declares a variable from a Result's value, or returns its failure.
//     VARDOLIN_TRY_ASSIGN(const BmpLayout layout, readBmpLayout(bytes));
#define VARDOLIN_TRY_ASSIGN(declaration, expression)                                                                   \
    auto VARDOLIN_TRY_NAME_(__LINE__) = (expression);                                                                  \
    if (!VARDOLIN_TRY_NAME_(__LINE__))                                                                                 \
        return std::move(VARDOLIN_TRY_NAME_(__LINE__)).failure();                                                      \
    declaration = std::move(VARDOLIN_TRY_NAME_(__LINE__)).value()
