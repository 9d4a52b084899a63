// numkit: arbitrary-precision integers.  Includes every public header.
#pragma once

#include "Num/Backend.hpp"
#include "Num/BigNat.hpp"
#include "Num/Hash.hpp"
#include "Num/Integer.hpp"
#include "Num/Limits.hpp"
#include "Num/Literals.hpp"
#include "Num/Natural.hpp"
#include "Num/Primitives.hpp"
#include "Num/Runtime.hpp"
#include "Num/Text.hpp"
#include "Num/Theory.hpp"
#include "Num/WordArray.hpp"
// The C entry points exist only in a build with the GMP backend.
#if defined(NUMKIT_BACKEND_GMP)
#include "Num/gmp_wrappers.h"
#endif
