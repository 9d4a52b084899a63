// Number theory on Natural and Integer: powers, roots, factorials, binomial
// coefficients, primality, and the gcd family under their usual names.
//
// Everything here is built on the library's own operations, so it works the
// same with either backend.  Results are exact.  Bad arguments raise before
// anything is allocated:
// - std::domain_error: a negative radicand of an even root (isqrt, isqrtRem
//   and iroot with even k of a negative Integer), a root of degree k = 0,
//   and powMod with a negative exponent when the base has no inverse;
// - num::DivideByZero: powMod and invMod with modulus 0.
// Nothing else raises, except std::bad_alloc when memory runs out (a huge
// pow or factorial).
#pragma once

#include <optional>
#include <utility>

#include "Num/Integer.hpp"
#include "Num/Natural.hpp"

NUMKIT_BEGIN_NAMESPACE

// ---------------------------------------------------------------------------
// Powers and roots.

// x^n by repeated squaring (naturalSqr); 0^0 = 1.  A power of two is a shift.
NUMKIT_API Natural pow(const Natural& x, Word n);
// x^n; negative exactly when x < 0 and n is odd; 0^0 = 1.
NUMKIT_API Integer pow(const Integer& x, Word n);

// floor(sqrt(x)).
NUMKIT_API Natural isqrt(const Natural& x);
// (s, r) with s = floor(sqrt(x)) and r = x - s^2 (so 0 <= r <= 2s).
NUMKIT_API std::pair<Natural, Natural> isqrtRem(const Natural& x);
// floor(sqrt(x)); raises std::domain_error for x < 0.
NUMKIT_API Integer isqrt(const Integer& x);
// (s, r) with s = floor(sqrt(x)), r = x - s^2; raises std::domain_error for
// x < 0.
NUMKIT_API std::pair<Integer, Integer> isqrtRem(const Integer& x);

// floor(x^(1/k)) for k >= 1; raises std::domain_error for k = 0.
NUMKIT_API Natural iroot(const Natural& x, Word k);
// The k-th root of x truncated toward zero (for x < 0 and odd k, -iroot(-x));
// raises std::domain_error for k = 0 and for x < 0 with even k.
NUMKIT_API Integer iroot(const Integer& x, Word k);

// Whether x = s^2 for some integer s (0 and 1 are).  Most non-squares are
// rejected by residues modulo 64, 63, 65 and 11 before any root is taken.
NUMKIT_API bool isPerfectSquare(const Natural& x);
// As for Natural; no negative value is a square.
NUMKIT_API bool isPerfectSquare(const Integer& x);

// ---------------------------------------------------------------------------
// Factorials and binomial coefficients.

// n! (0! = 1): the odd parts of 1..n multiplied in a balanced product tree,
// then shifted by the power of two.
NUMKIT_API Natural factorial(Word n);
// The binomial coefficient C(n, k): 0 for k > n.
NUMKIT_API Natural binomial(const Natural& n, Word k);

// ---------------------------------------------------------------------------
// Primality.
//
// isProbablePrime(x, reps): false when x is certainly composite (or below
// 2), true when x is prime or probably prime.  The test is Baillie-PSW: trial
// division by the primes below 1000, a strong Miller-Rabin test to base 2
// and a strong Lucas test with Selfridge's parameters; above 2^64 it adds
// `reps` Miller-Rabin rounds to bases drawn from a pseudo-random sequence
// seeded by x (deterministic: the same x always gives the same answer).
// Below 2^64 the answer is exact (no Baillie-PSW pseudoprime exists there)
// and `reps` is not used.  No composite above 2^64 is known to pass.
// nextPrime(x): the least (probable) prime greater than x; 2 for x < 2.

NUMKIT_API bool isProbablePrime(const Natural& x, int reps = 25);
// As for Natural; no negative value is prime.
NUMKIT_API bool isProbablePrime(const Integer& x, int reps = 25);
NUMKIT_API Natural nextPrime(const Natural& x);
// As for Natural; 2 for every x < 2.
NUMKIT_API Integer nextPrime(const Integer& x);

// ---------------------------------------------------------------------------
// The gcd family under its usual names.  The Natural forms return a Natural,
// the Integer forms an Integer (a Natural argument beside an Integer goes to
// the Integer form).

// gcd(a, b) (naturalGcd); gcd(0, 0) = 0.
inline Natural gcd(const Natural& a, const Natural& b) { return naturalGcd(a, b); }
// gcd(|a|, |b|) >= 0 (integerGcd).
inline Integer gcd(const Integer& a, const Integer& b) { return integerGcd(a, b); }
// lcm(a, b) (naturalLcm); 0 when either is 0.
inline Natural lcm(const Natural& a, const Natural& b) { return naturalLcm(a, b); }
// lcm(|a|, |b|) >= 0 (integerLcm).
inline Integer lcm(const Integer& a, const Integer& b) { return integerLcm(a, b); }

// b^e mod m, in [0, m) (naturalPowMod); raises num::DivideByZero for m = 0.
inline Natural powMod(const Natural& b, const Natural& e, const Natural& m) {
  return naturalPowMod(b, e, m);
}
// b^e mod m, in [0, m), for any sign of b and e: a negative e raises the
// inverse of b to -e (integerPowMod_).  Raises num::DivideByZero for m = 0
// and std::domain_error when e < 0 and b has no inverse modulo m.
NUMKIT_API Natural powMod(const Integer& b, const Integer& e, const Natural& m);

// The inverse of x modulo m, in [0, m): the y with x * y = 1 (mod m), or
// nothing when gcd(x, m) != 1.  Modulo 1 every x has the inverse 0.  Raises
// num::DivideByZero for m = 0.  Forwards to integerRecipMod_.
NUMKIT_API std::optional<Natural> invMod(const Integer& x, const Natural& m);

NUMKIT_END_NAMESPACE
