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
#include "Num/gmp_wrappers.h"
