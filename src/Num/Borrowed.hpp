// A view of a caller's Natural or Integer received as a raw two-word rep
// across the out-of-line boundary: it shares the caller's reference and never
// releases it.  Internal to the library.
#pragma once

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

 private:
  union {
    Value value_;
  };
};

}  // namespace detail
NUMKIT_END_NAMESPACE
