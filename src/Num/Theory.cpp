// Number theory: powers, roots, factorials, binomial coefficients, primality
// and the modular forms, on the library's own Natural and Integer
// operations.  Values below 2^64 take word paths (machine arithmetic with a
// double-word product); larger ones the same algorithms on Naturals.
#include "Num/Theory.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <vector>

NUMKIT_BEGIN_NAMESPACE

namespace {

using DWord = unsigned __int128;

[[noreturn]] void domainError(const char* what) { throw std::domain_error(what); }

// ---------------------------------------------------------------------------
// Products.

// The product of v[lo, hi) in a balanced tree, so the large multiplications
// have operands of equal size.
Natural productTree(const std::vector<Natural>& v, std::size_t lo, std::size_t hi) {
  if (hi - lo == 0) return naturalOne();
  if (hi - lo == 1) return v[lo];
  if (hi - lo == 2) return naturalMul(v[lo], v[lo + 1]);
  const std::size_t mid = lo + (hi - lo) / 2;
  return naturalMul(productTree(v, lo, mid), productTree(v, mid, hi));
}
Natural productOf(const std::vector<Natural>& v) { return productTree(v, 0, v.size()); }

// Collects the factors f into word products before they go to the tree.
class WordProduct {
 public:
  void times(Word f) {
    Word p;
    if (__builtin_mul_overflow(acc_, f, &p)) {
      parts_.push_back(NS(acc_));
      p = f;
    }
    acc_ = p;
  }
  Natural result() {
    parts_.push_back(NS(acc_));
    return productOf(parts_);
  }

 private:
  Word acc_ = 1;
  std::vector<Natural> parts_;
};

// ---------------------------------------------------------------------------
// Roots of single words.

// floor(x^(1/k)) of a word, k >= 2: a floating estimate corrected in both
// directions with exact overflow-checked powers.
Word wordPowOverflows(Word r, Word k, Word x) noexcept {  // whether r^k > x
  Word p = 1;
  for (Word i = 0; i < k; ++i) {
    if (__builtin_mul_overflow(p, r, &p) || p > x) return 1;
  }
  return 0;
}
Word wordRoot(Word x, Word k) noexcept {
  if (x < 2) return x;
  if (k >= 64) return 1;
  auto r = static_cast<Word>(std::pow(static_cast<double>(x), 1.0 / static_cast<double>(k)));
  while (r > 0 && wordPowOverflows(r, k, x) != 0) --r;
  while (wordPowOverflows(r + 1, k, x) == 0) ++r;
  return r;
}
Word wordSqrt(Word x) noexcept {
  auto r = static_cast<Word>(std::sqrt(static_cast<double>(x)));
  while (r > 0xffffffffU || static_cast<DWord>(r) * r > x) --r;
  while (r < 0xffffffffU && static_cast<DWord>(r + 1) * (r + 1) <= x) ++r;
  return r;
}

// floor(sqrt(hi 2^64 + lo)) for hi > 0: a long double estimate (64-bit
// mantissa, so within a few units) corrected with exact double-word squares.
Word doubleWordSqrt(Word hi, Word lo) noexcept {
  const DWord x = (static_cast<DWord>(hi) << 64) | lo;
  const long double e = std::sqrt(static_cast<long double>(x));
  Word r = e >= 18446744073709551615.0L ? ~Word{0} : static_cast<Word>(e);
  while (static_cast<DWord>(r) * r > x) --r;
  while (r != ~Word{0} && static_cast<DWord>(r + 1) * (r + 1) <= x) ++r;
  return r;
}

// ---------------------------------------------------------------------------
// Multi-word roots.  Newton's iteration y = ((k - 1) x + n / x^(k-1)) / k
// falls monotonically to floor(n^(1/k)) from any start at or above it.  The
// start is the root of n's top half, computed the same way and scaled back
// with one added, which is above the root and close enough that a few steps
// settle.

Natural newtonRoot(const Natural& n, Word k, Natural x) {
  if (k == 2) {
    // Every step lands at or above floor(sqrt(n)) (the mean of x and n / x
    // is at least sqrt(n)), so a step whose square is at most n is the root:
    // from a close start one division and one square, not two divisions.
    for (;;) {
      Natural y = naturalShiftR_(naturalAdd(x, naturalQuot(n, x)), 1);
      if (naturalLe(naturalSqr(y), n)) return y;
      x = std::move(y);
    }
  }
  const Natural km1 = NS(k - 1);
  const Natural kk = NS(k);
  for (;;) {
    const Natural p = k == 2 ? x : pow(x, k - 1);
    if (naturalIsZero(p)) return x;  // not reached: every start is at least 1
    Natural y = naturalQuot(naturalAdd(naturalMul(km1, x), naturalQuot(n, p)), kk);
    if (!naturalLt(y, x)) return x;
    x = std::move(y);
  }
}

Natural rootOf(const Natural& n, Word k) {
  if (n.isNS()) return NS(k == 2 ? wordSqrt(n.word()) : wordRoot(n.word(), k));
  if (k == 2 && n.bigNat().size() == 2) return NS(doubleWordSqrt(n.bigNat()[1], n.bigNat()[0]));
  const Word bits = naturalLog2_(n) + 1;
  if (k >= bits) return naturalOne();  // 1 <= root < 2
  // Drop t*k low bits, keeping about half of n: root(n) < (root(n >> tk) + 1) 2^t.
  const Word t = bits / (2 * k);
  if (t == 0) {
    return newtonRoot(n, k, naturalShiftL_(naturalOne(), (bits + k - 1) / k));
  }
  const Natural top = rootOf(naturalShiftR_(n, t * k), k);
  return newtonRoot(n, k, naturalShiftL_(naturalAdd(top, naturalOne()), t));
}

// ---------------------------------------------------------------------------
// Modular arithmetic for the primality tests, on words and on Naturals.
// Residues are kept in [0, n); n is odd.

struct WordRing {
  using V = Word;
  Word n;
  Word mul(Word a, Word b) const noexcept {
    return static_cast<Word>(static_cast<DWord>(a) * b % n);
  }
  Word add(Word a, Word b) const noexcept {
    const Word s = a + b;
    return (s < a || s >= n) ? s - n : s;
  }
  Word sub(Word a, Word b) const noexcept { return a >= b ? a - b : a + (n - b); }
  // a / 2 modulo the odd n.
  Word half(Word a) const noexcept { return (a & 1) != 0 ? (a >> 1) + (n >> 1) + 1 : a >> 1; }
  Word fromInt(Int v) const noexcept {
    const Word m = wordFromAbsInt_(v) % n;
    return v < 0 && m != 0 ? n - m : m;
  }
  Word one() const noexcept { return 1; }
  bool isZero(Word a) const noexcept { return a == 0; }
  bool eq(Word a, Word b) const noexcept { return a == b; }
};

struct NaturalRing {
  using V = Natural;
  Natural n;
  Natural mul(const Natural& a, const Natural& b) const { return naturalRem(naturalMul(a, b), n); }
  Natural add(const Natural& a, const Natural& b) const {
    Natural s = naturalAdd(a, b);
    return naturalLt(s, n) ? s : naturalSubUnsafe(s, n);
  }
  Natural sub(const Natural& a, const Natural& b) const {
    return naturalLe(b, a) ? naturalSubUnsafe(a, b) : naturalSubUnsafe(naturalAdd(a, n), b);
  }
  Natural half(const Natural& a) const {
    return naturalShiftR_(naturalTestBit(a, 0) ? naturalAdd(a, n) : a, 1);
  }
  Natural fromInt(Int v) const {
    const Natural m = NS(wordFromAbsInt_(v));  // |v| < n: n has two limbs
    return v < 0 ? naturalSubUnsafe(n, m) : m;
  }
  Natural one() const noexcept { return naturalOne(); }
  bool isZero(const Natural& a) const noexcept { return naturalIsZero(a); }
  bool eq(const Natural& a, const Natural& b) const noexcept { return naturalEq(a, b); }
};

// b^e mod n by left-to-right binary powering.
template <class R>
typename R::V powModRing(const R& r, typename R::V b, const Natural& e) {
  typename R::V x = r.one();
  if (naturalIsZero(e)) return x;
  for (Word i = naturalLog2_(e) + 1; i-- > 0;) {
    x = r.mul(x, x);
    if (naturalTestBit(e, i)) x = r.mul(x, b);
  }
  return x;
}

// Whether the odd n > 2 is a strong probable prime to base b (2 <= b < n).
template <class R>
bool strongProbablePrime(const R& r, const Natural& nm1, const typename R::V& b) {
  Word twos = 0;
  while (!naturalTestBit(nm1, twos)) ++twos;
  const Natural d = naturalShiftR_(nm1, twos);
  typename R::V x = powModRing(r, b, d);
  const typename R::V minusOne = r.sub(r.fromInt(0), r.one());
  if (r.eq(x, r.one()) || r.eq(x, minusOne)) return true;
  for (Word i = 1; i < twos; ++i) {
    x = r.mul(x, x);
    if (r.eq(x, minusOne)) return true;
    if (r.eq(x, r.one())) return false;
  }
  return false;
}

// The Jacobi symbol (a / m) for odd m > 0.
int jacobi(Word a, Word m) noexcept {
  int t = 1;
  a %= m;
  while (a != 0) {
    while ((a & 1) == 0) {
      a >>= 1;
      const Word r = m & 7;
      if (r == 3 || r == 5) t = -t;
    }
    std::swap(a, m);
    if ((a & 3) == 3 && (m & 3) == 3) t = -t;
    a %= m;
  }
  return m == 1 ? t : 0;
}

// n mod w for a word w > 0.
Word remWord(const Natural& n, Word w) {
  return n.isNS() ? n.word() % w : bigNatRemWord_(n.bigNat(), w);
}

// The strong Lucas test with Selfridge's parameters: D the first of 5, -7,
// 9, -11, ... with (D / n) = -1, P = 1, Q = (1 - D) / 4.  n is odd, > 2, not
// a square and has no factor below 1000.  With n + 1 = d 2^s, n passes when
// U_d = 0 or V_{d 2^r} = 0 for some 0 <= r < s (mod n).
template <class R>
bool strongLucasProbablePrime(const R& r, const Natural& n) {
  Int dd = 5;
  for (;;) {
    const Word m = wordFromAbsInt_(dd);
    const Word nm = remWord(n, m);
    // (D / n) = (n / |D|) by reciprocity: for D > 0, D = 1 mod 4; for D < 0,
    // |D| = 3 mod 4, and the sign (-1 / n) cancels reciprocity's.
    const int j = jacobi(nm, m);
    if (j == -1) break;
    if (j == 0 && naturalGt(n, NS(m))) return false;  // |D| shares a factor with n
    dd = dd > 0 ? -(dd + 2) : -dd + 2;
  }
  const Int qi = (1 - dd) / 4;
  const typename R::V dm = r.fromInt(dd);
  const typename R::V q = r.fromInt(qi);
  const Natural np1 = naturalAdd(n, naturalOne());
  Word s = 0;
  while (!naturalTestBit(np1, s)) ++s;
  const Natural d = naturalShiftR_(np1, s);
  // U_k, V_k, Q^k from the top bit of d down (P = 1).
  typename R::V u = r.one();
  typename R::V v = r.one();
  typename R::V qk = q;
  for (Word i = naturalLog2_(d); i-- > 0;) {
    u = r.mul(u, v);                        // U_2k = U_k V_k
    v = r.sub(r.mul(v, v), r.add(qk, qk));  // V_2k = V_k^2 - 2 Q^k
    qk = r.mul(qk, qk);                     // Q^2k
    if (naturalTestBit(d, i)) {
      const typename R::V u2 = r.half(r.add(u, v));  // U_2k+1 = (P U + V) / 2
      v = r.half(r.add(r.mul(dm, u), v));            // V_2k+1 = (D U + P V) / 2
      u = u2;
      qk = r.mul(qk, q);
    }
  }
  if (r.isZero(u) || r.isZero(v)) return true;
  for (Word i = 1; i < s; ++i) {
    v = r.sub(r.mul(v, v), r.add(qk, qk));
    if (r.isZero(v)) return true;
    qk = r.mul(qk, qk);
  }
  return false;
}

constexpr std::array<Word, 167> kSmallPrimes = [] {
  std::array<Word, 167> p{};
  std::size_t k = 0;
  for (Word c = 3; k < p.size(); c += 2) {
    bool prime = true;
    for (Word d = 3; d * d <= c; d += 2) prime = prime && c % d != 0;
    if (prime) p[k++] = c;
  }
  return p;
}();  // the odd primes below 1000
static_assert(kSmallPrimes.back() == 997);

// 0 when some odd prime below 1000 divides n (n itself not one of them),
// 1 when none does, 2 when n < 1000^2 and so is prime.
int trialDivision(const Natural& n) {
  // One remainder per group of primes whose product fits a word.
  std::size_t i = 0;
  while (i < kSmallPrimes.size()) {
    Word prod = 1;
    std::size_t j = i;
    for (Word next; j < kSmallPrimes.size(); ++j, prod = next) {
      if (__builtin_mul_overflow(prod, kSmallPrimes[j], &next)) break;
    }
    const Word rem = remWord(n, prod);
    for (std::size_t t = i; t < j; ++t) {
      if (rem % kSmallPrimes[t] == 0) return n.isNS() && n.word() == kSmallPrimes[t] ? 2 : 0;
    }
    i = j;
  }
  return n.isNS() && n.word() < Word{1000} * 1000 ? 2 : 1;
}

// A pseudo-random sequence (splitmix64) for the extra Miller-Rabin bases.
Word splitmix(Word& state) noexcept {
  Word z = (state += 0x9e3779b97f4a7c15U);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9U;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebU;
  return z ^ (z >> 31);
}

bool bpsw(const Natural& n, int reps) {
  if (n.isNS() && n.word() < 4) return n.word() >= 2;
  if (!naturalTestBit(n, 0)) return false;
  const int td = trialDivision(n);
  if (td != 1) return td == 2;
  const Natural nm1 = naturalSubUnsafe(n, naturalOne());
  if (n.isNS()) {
    const WordRing r{n.word()};
    return strongProbablePrime(r, nm1, Word{2}) && !isPerfectSquare(n) &&
           strongLucasProbablePrime(r, n);
  }
  const NaturalRing r{n};
  if (!strongProbablePrime(r, nm1, NS(2)) || isPerfectSquare(n) ||
      !strongLucasProbablePrime(r, n)) {
    return false;
  }
  Word state = naturalToWord(n) ^ (naturalLog2_(n) * 0x2545f4914f6cdd1dU);
  const Natural span = naturalSubUnsafe(n, NS(4));  // bases in [2, n - 2]
  for (int i = 0; i < reps; ++i) {
    const Natural base = naturalAdd(NS(2), naturalRem(NS(splitmix(state)), span));
    if (!strongProbablePrime(r, nm1, base)) return false;
  }
  return true;
}

// Quadratic residues: bit r of kSquares64 is set when r is a square mod 64;
// the other tables likewise for 63, 65 and 11.
constexpr Word squareMask(Word m) {
  Word mask = 0;
  for (Word i = 0; i < m; ++i) mask |= Word{1} << (i * i % m);
  return mask;
}
constexpr Word kSquares64 = squareMask(64);
constexpr Word kSquares63 = squareMask(63);
constexpr Word kSquares11 = squareMask(11);
constexpr std::array<bool, 65> kSquares65 = [] {
  std::array<bool, 65> t{};
  for (Word i = 0; i < 65; ++i) t[i * i % 65] = true;
  return t;
}();

}  // namespace

// ---------------------------------------------------------------------------
// Powers.

Natural pow(const Natural& x, Word n) {
  if (n == 0) return naturalOne();
  if (naturalIsZero(x) || naturalIsOne(x) || n == 1) return x;
  if (const std::optional<Word> k = naturalIsPowerOf2_(x)) {
    Word s;
    if (__builtin_mul_overflow(*k, n, &s)) throw std::bad_alloc();
    return naturalShiftL_(naturalOne(), s);
  }
  // Right-to-left: the running square is needed for every bit anyway.
  Natural result = naturalOne();
  Natural base = x;
  for (;;) {
    if ((n & 1) != 0) result = naturalMul(result, base);
    n >>= 1;
    if (n == 0) return result;
    base = naturalSqr(base);
  }
}

Integer pow(const Integer& x, Word n) {
  const Natural m = pow(integerToNatural(x), n);
  return integerIsNegative(x) && (n & 1) != 0 ? integerNegate(integerFromNatural(m))
                                              : integerFromNatural(m);
}

// ---------------------------------------------------------------------------
// Roots.

Natural isqrt(const Natural& x) { return rootOf(x, 2); }

std::pair<Natural, Natural> isqrtRem(const Natural& x) {
  Natural s = rootOf(x, 2);
  Natural r = naturalSubUnsafe(x, naturalSqr(s));
  return {std::move(s), std::move(r)};
}

Integer isqrt(const Integer& x) {
  if (integerIsNegative(x)) domainError("numkit: square root of a negative value");
  return integerFromNatural(rootOf(integerToNatural(x), 2));
}

std::pair<Integer, Integer> isqrtRem(const Integer& x) {
  if (integerIsNegative(x)) domainError("numkit: square root of a negative value");
  const Natural n = integerToNatural(x);
  const Natural s = rootOf(n, 2);
  return {integerFromNatural(s), integerFromNatural(naturalSubUnsafe(n, naturalSqr(s)))};
}

Natural iroot(const Natural& x, Word k) {
  if (k == 0) domainError("numkit: root of degree 0");
  if (k == 1) return x;
  return rootOf(x, k);
}

Integer iroot(const Integer& x, Word k) {
  if (k == 0) domainError("numkit: root of degree 0");
  const bool negative = integerIsNegative(x);
  if (negative && (k & 1) == 0) domainError("numkit: even root of a negative value");
  if (k == 1) return x;
  const Integer r = integerFromNatural(rootOf(integerToNatural(x), k));
  return negative ? integerNegate(r) : r;
}

bool isPerfectSquare(const Natural& x) {
  if (((kSquares64 >> (naturalToWord(x) & 63)) & 1) == 0) return false;
  const Word r = remWord(x, Word{63} * 65 * 11);
  if (((kSquares63 >> (r % 63)) & 1) == 0 || !kSquares65[r % 65] ||
      ((kSquares11 >> (r % 11)) & 1) == 0) {
    return false;
  }
  const Natural s = rootOf(x, 2);
  return naturalEq(naturalSqr(s), x);
}

bool isPerfectSquare(const Integer& x) {
  return !integerIsNegative(x) && isPerfectSquare(integerToNatural(x));
}

// ---------------------------------------------------------------------------
// Factorials and binomial coefficients.

Natural factorial(Word n) {
  WordProduct odd;
  for (Word i = 3; i <= n; i += 2) {
    // The odd part of every factor: i itself for odd i, and the even ones
    // are the odd parts of 1..n/2, ... which the loop below collects.
    odd.times(i);
  }
  // n! = 2^e * prod over j >= 0 of (odd numbers <= n / 2^j); the loop above
  // took j = 0.
  for (Word m = n / 2; m >= 3; m /= 2) {
    for (Word i = 3; i <= m; i += 2) odd.times(i);
  }
  const Word twos = n - static_cast<Word>(std::popcount(n));  // Legendre's formula
  return naturalShiftL_(odd.result(), twos);
}

Natural binomial(const Natural& n, Word k) {
  const std::optional<Word> nw = naturalToWordMaybe_(n);
  if (nw && k > *nw) return naturalZero();
  if (nw && k > *nw - k) k = *nw - k;
  if (k == 0) return naturalOne();
  if (k == 1) return n;
  // prod (n - k + 1 .. n) / k!, the numerator in a product tree.
  if (nw) {
    WordProduct num;
    for (Word i = *nw - k + 1; i <= *nw && i != 0; ++i) num.times(i);
    return naturalQuot(num.result(), factorial(k));
  }
  std::vector<Natural> factors;
  factors.reserve(static_cast<std::size_t>(k));
  const Natural low = naturalSubUnsafe(n, NS(k - 1));
  for (Word i = 0; i < k; ++i) factors.push_back(naturalAdd(low, NS(i)));
  return naturalQuot(productOf(factors), factorial(k));
}

// ---------------------------------------------------------------------------
// Primality.

bool isProbablePrime(const Natural& x, int reps) { return bpsw(x, reps); }

bool isProbablePrime(const Integer& x, int reps) {
  return !integerIsNegative(x) && bpsw(integerToNatural(x), reps);
}

Natural nextPrime(const Natural& x) {
  if (naturalLt(x, NS(2))) return NS(2);
  if (naturalEq(x, NS(2))) return NS(3);
  // Odd candidates from x + 1; the residues modulo the small primes move
  // with the candidate, so only survivors of the sieve meet a full test.
  Natural c = naturalAdd(x, naturalOne());
  if (!naturalTestBit(c, 0)) c = naturalAdd(c, naturalOne());
  std::array<Word, kSmallPrimes.size()> res{};
  for (std::size_t i = 0; i < res.size(); ++i) res[i] = remWord(c, kSmallPrimes[i]);
  for (;;) {
    bool sieved = false;
    for (std::size_t i = 0; i < res.size(); ++i) {
      sieved = sieved || (res[i] == 0 && !(c.isNS() && c.word() == kSmallPrimes[i]));
    }
    if (!sieved && bpsw(c, 0)) return c;
    c = naturalAdd(c, NS(2));
    for (std::size_t i = 0; i < res.size(); ++i) {
      res[i] += 2;
      if (res[i] >= kSmallPrimes[i]) res[i] -= kSmallPrimes[i];
    }
  }
}

Integer nextPrime(const Integer& x) {
  if (integerIsNegative(x)) return IS(2);
  return integerFromNatural(nextPrime(integerToNatural(x)));
}

// ---------------------------------------------------------------------------
// Modular forms.

Natural powMod(const Integer& b, const Integer& e, const Natural& m) {
  if (naturalIsZero(m)) raiseDivZero();
  // integerPowMod_ gives 0 for 0 to a negative power; 0 has no inverse
  // (except modulo 1, where every residue is 0).
  if (integerIsNegative(e) && integerIsZero(b) && !naturalIsOne(m)) {
    domainError("numkit: negative power of a value without an inverse");
  }
  std::optional<Natural> r = integerPowMod_(b, e, m);
  if (!r) domainError("numkit: negative power of a value without an inverse");
  return *std::move(r);
}

std::optional<Natural> invMod(const Integer& x, const Natural& m) {
  if (naturalIsZero(m)) raiseDivZero();
  if (naturalIsOne(m)) return naturalZero();
  return integerRecipMod_(x, m);
}

NUMKIT_END_NAMESPACE
