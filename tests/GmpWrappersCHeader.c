/* The C limb functions used from a C program: the header compiles as C and a
 * few calls give the known answers. */
#include <stdio.h>
#include <string.h>

#include "Num/gmp_wrappers.h"

static int passed = 0;
static int failed = 0;

static void check(int ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    fprintf(stderr, "FAILED: %s\n", what);
  }
}

int main(void) {
  const numkit_limb_t one[1] = {1};
  numkit_limb_t r[3] = {9, 9, 9};
  unsigned char bytes[4] = {0xee, 0xee, 0xee, 0xee};
  const numkit_limb_t minusTwo[1] = {2};
  const numkit_limb_t three[1] = {3};
  const numkit_limb_t five[1] = {5};
  int32_t sizes[3] = {0, 0, 0};
  numkit_limb_t s0[1], t0[1], g0[1];
  const numkit_limb_t x240[1] = {240};
  const numkit_limb_t y46[1] = {46};

  check(numkit_gcd_word(12, 18) == 6, "gcd of 12 and 18");

  check(numkit_mpn_lshift(r, one, 1, 65) == 0 && r[0] == 0 && r[1] == 2 && r[2] == 0,
        "[1] shifted left by 65 bits");

  r[0] = 1;
  check(numkit_mpn_lshift(r, r, 1, 65) == 0 && r[0] == 0 && r[1] == 2 && r[2] == 0,
        "[1] shifted left by 65 bits in place");

  check(numkit_mpn_export1(0x0102, bytes, 1, 1) == 2 && bytes[0] == 0xee && bytes[1] == 0x01 &&
            bytes[2] == 0x02 && bytes[3] == 0xee,
        "export of 0x0102, most significant byte first");

  check(numkit_powm(r, minusTwo, -1, three, 1, five, 1) == 1 && r[0] == 2, "(-2)^3 mod 5");

  check(numkit_invert_word(3, 7) == 5 && numkit_invert_word(2, 4) == 0, "word inverses");

  check(numkit_mpn_get_d(three, -1, 2) == -12.0, "-3 * 2^2 as a double");

  numkit_gcdext(s0, &sizes[0], t0, &sizes[1], g0, &sizes[2], x240, 1, y46, 1);
  check(sizes[2] == 1 && g0[0] == 2 && sizes[0] == -1 && s0[0] == 9 && sizes[1] == 1 && t0[0] == 47,
        "extended gcd of 240 and 46");

  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
