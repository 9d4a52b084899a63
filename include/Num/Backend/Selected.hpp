// The backend chosen when the library was built; nothing chooses at run time.
#pragma once

#include "Num/Config.hpp"

#if defined(NUMKIT_BACKEND_GMP)
#include "Num/Backend/GMP.hpp"
NUMKIT_BEGIN_NAMESPACE
namespace backend {
using namespace gmp;  // NOLINT(google-build-using-namespace): re-exports the selected kernels
}  // namespace backend
NUMKIT_END_NAMESPACE
#elif defined(NUMKIT_BACKEND_NATIVE)
#include "Num/Backend/Native.hpp"
NUMKIT_BEGIN_NAMESPACE
namespace backend {
using namespace native;  // NOLINT(google-build-using-namespace): re-exports the selected kernels
}  // namespace backend
NUMKIT_END_NAMESPACE
#else
#error "numkit was configured with a backend this header does not know"
#endif
