// A view of a caller's Natural or Integer received as a raw two-word rep
// across the out-of-line boundary: it shares the caller's reference and never
// releases it.  Internal to the library.
#pragma once

#include <type_traits>
#include <utility>

#include "Num/Export.h"

NUMKIT_BEGIN_NAMESPACE
namespace detail {

// Value is Natural or Integer, Access its detail::*Access, Rep its raw rep.
template <class Value, class Access, class Rep>
class BorrowedValue {
 public:
  explicit BorrowedValue(Rep r) noexcept : value_(Access::adopt(r)) {}
  BorrowedValue(const BorrowedValue&) = delete;
  BorrowedValue& operator=(const BorrowedValue&) = delete;
  ~BorrowedValue() {}  // leaves value_ alone: the reference is the caller's
  const Value& get() const noexcept { return value_; }
  // A view stands for the value wherever one is read.
  operator const Value&() const noexcept { return value_; }  // NOLINT(google-explicit-constructor)

 private:
  union {
    Value value_;
  };
};

// The body of an out-of-line path: runs f on the caller's values behind the
// reps among args (other arguments, such as a word, pass unchanged).  A
// result of the value type goes back as a rep that carries its reference;
// any other result is returned as it is.
template <auto f, class Access, class Rep, class... Args>
auto callBorrowed(Args... args) {
  using Value = decltype(Access::adopt(std::declval<Rep>()));
  // A rep becomes a view living until the end of the call's full
  // expression; anything else passes as it is.
  const auto view = [](auto x) {
    if constexpr (std::is_same_v<decltype(x), Rep>) {
      return BorrowedValue<Value, Access, Rep>(x);
    } else {
      return x;
    }
  };
  if constexpr (std::is_same_v<decltype(f(view(args)...)), Value>) {
    return Access::release(f(view(args)...));
  } else {
    return f(view(args)...);
  }
}

}  // namespace detail
NUMKIT_END_NAMESPACE
